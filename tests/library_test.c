/* The C interface from C, as a program of another language or compiler sees it: every call on
 * sources whose targets and hints are known, on a source read in pieces and one that fails to
 * read, and on a null conversion. Prints a line per failed check and ends with a count. */
#include <stdio.h>
#include <string.h>

#include "kalmira.h"

static int checks, failures;
static const char* checking; /* the source the checks are about */
#define CHECK(passed, what) \
  (++checks, (passed) ? 0 : (++failures, printf("FAILED: %s: %s\n", checking, what)))

/* Whether `size` bytes at `bytes` are `text`. */
static int same(const char* bytes, size_t size, const char* text) {
  return size == strlen(text) && memcmp(bytes, text, size) == 0;
}

/* A source of each outcome and of each encoding; the tables' sources go through the interface in
 * the harnesses of the other languages. */
static const struct {
  const char* name;
  const char* bytes;
  int outcome;
  const char* target;
  int hints[5]; /* ended by 0 */
} cases[] = {
    {"example.bcr",
     "[COORDINATES]\r\nP1=3456789,5987654.3\r\nP2=1000000,1000000\r\n[DESCRIPTION]\r\n"
     "P1=Name,Street,City\r\nP2=A,B,C\r\n[END]\r\n",
     KALMIRA_CONVERTED,
     "31.08764458, 47.31937027, Street,Name,City,\r\n8.99321461, 8.95651054, B,A,C,\r\n",
     {0}},
    {"notiz.txt",
     "Einkaufen: Brot\n",
     KALMIRA_NO_SOURCE,
     "",
     {KALMIRA_HINT_NO_COORDINATES_SECTION, KALMIRA_HINT_NO_DESCRIPTION_SECTION,
      KALMIRA_HINT_NO_POINTS}},
    {"utf8.bcr",
     "[COORDINATES]\nP1=1487533.05,6886305.18\n[DESCRIPTION]\nP1=K\xC3\xB6ln,Dom,x\n",
     KALMIRA_CONVERTED,
     "13.37770367, 52.51626968, Dom,K\xC3\xB6ln,x,\r\n",
     {KALMIRA_HINT_DESCRIPTIONS_IN_UTF8}},
};

/* The outcome, the target, the message and the hints; a point a target line, its places rounding
 * to the line's digits. */
static void check_case(const kalmira_conversion* conversion, size_t c) {
  size_t size = 0, hints = 0, points = kalmira_point_count(conversion);
  const char* target = kalmira_target(conversion, &size);
  checking = cases[c].name;
  CHECK(kalmira_outcome(conversion) == cases[c].outcome, "the outcome");
  CHECK(!*kalmira_message(conversion) == (cases[c].outcome == KALMIRA_CONVERTED), "a message");
  for (; cases[c].hints[hints] != 0; ++hints) {
    const char* text = kalmira_hint_text(conversion, hints);
    CHECK(kalmira_hint_code(conversion, hints) == cases[c].hints[hints] && text && *text, "a hint");
  }
  CHECK(kalmira_hint_count(conversion) == hints && !kalmira_hint_text(conversion, hints), "hints");
  if (CHECK(same(target, size, cases[c].target), "the target")) return; /* lines unknown */
  kalmira_point point;
  size_t i = 0;
  for (; i < points && *target; ++i, target = strchr(target, '\n') + 1) {
    char digits[64], written[64];
    if (CHECK(kalmira_get_point(conversion, i, &point) == 0, "a point")) break;
    CHECK(point.number == (int)i + 1 && point.on_map, "its number");
    snprintf(digits, sizeof digits, "%.8f, %.8f, ", (float)point.longitude, (float)point.latitude);
    snprintf(written, sizeof written, "%s, %s, ", point.target_longitude, point.target_latitude);
    CHECK(strncmp(target, digits, strlen(digits)) == 0 && !strcmp(digits, written), "its digits");
  }
  CHECK(i == points && !*target && kalmira_get_point(conversion, i, &point) == -1, "no more");
}

/* Gives a source three bytes at a time, or fails after the first three; gathers a target. */
struct pieces {
  const char* bytes;
  size_t left;
  int fail;
  char gathered[256];
  size_t size;
};
static long long read_pieces(void* context, char* buffer, size_t capacity) {
  struct pieces* source = context;
  const size_t size =
      source->left < 3 || capacity < 3 ? (source->left < capacity ? source->left : capacity) : 3;
  if (source->fail && source->size++ > 0) return -1;
  memcpy(buffer, source->bytes, size);
  source->bytes += size;
  source->left -= size;
  return (long long)size;
}
static int gather(void* context, const char* bytes, size_t size) {
  struct pieces* target = context;
  if (target->fail || target->size + size > sizeof target->gathered) return -1;
  memcpy(target->gathered + target->size, bytes, size);
  target->size += size;
  return 0;
}

static void check_pieces(void) {
  struct pieces source = {cases[0].bytes, strlen(cases[0].bytes), 0, {0}, 0};
  kalmira_conversion* conversion =
      kalmira_convert_read("dir.old/example.v2.bcr", read_pieces, &source, -1);
  checking = "pieces";
  CHECK(kalmira_write_target(conversion, gather, &source) == 0, "the target written");
  CHECK(same(source.gathered, source.size, cases[0].target), "read in pieces, the same target");
  CHECK(strcmp(kalmira_target_name(conversion), "dir.old/example.asc") == 0, "the target's name");
  source.fail = 1;
  CHECK(kalmira_write_target(conversion, gather, &source) == -1, "a refused write stops");
  kalmira_free(conversion);

  struct pieces failing = {cases[0].bytes, strlen(cases[0].bytes), 1, {0}, 0};
  conversion = kalmira_convert_read("kaputt.bcr", read_pieces, &failing, -1);
  checking = "failing";
  CHECK(kalmira_outcome(conversion) == KALMIRA_READ_FAILED && !kalmira_point_count(conversion),
        "a failed read gives no points");
  CHECK(strstr(kalmira_message(conversion), "kaputt.bcr") != NULL, "and says so, naming it");
  kalmira_free(conversion);
}

int main(void) {
  for (size_t c = 0; c < sizeof cases / sizeof cases[0]; ++c) {
    kalmira_conversion* conversion =
        kalmira_convert(cases[c].name, cases[c].bytes, strlen(cases[c].bytes));
    check_case(conversion, c);
    kalmira_free(conversion);
  }
  check_pieces();
  size_t size = 1;
  kalmira_point point;
  checking = "null";
  CHECK(kalmira_outcome(NULL) == KALMIRA_NO_MEMORY && kalmira_point_count(NULL) == 0 &&
            kalmira_hint_count(NULL) == 0 && kalmira_get_point(NULL, 0, &point) == -1 &&
            *kalmira_target(NULL, &size) == '\0' && size == 0,
        "nothing from no conversion");
  kalmira_free(NULL);
  CHECK(strcmp(kalmira_version(), KALMIRA_EXPECTED_VERSION) == 0, "the project's version");
  printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
