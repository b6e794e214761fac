/* The C interface from C, as a program of another language or compiler sees it: every call on
 * sources whose targets and hints are known, on a source read piece by piece and one that fails
 * to read, and on a null conversion. Prints a line per failed check and ends with a count. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kalmira.h"

static int checks, failures;

static void check(int passed, const char* what, const char* name) {
  ++checks;
  if (!passed) {
    ++failures;
    printf("FAILED: %s: %s\n", name, what);
  }
}

struct source_case {
  const char* name;
  const char* bytes;
  size_t size; /* 0: up to the NUL */
  int outcome;
  const char* target;
  int hints[4]; /* ended by 0 */
};

/* The overview's example, an empty description section, a note, a picture's first bytes, the
 * conversion's own examples of values (an empty text reads as 0), and descriptions in UTF-8
 * (their place worked out apart, in Python's double and single precision). */
static const struct source_case cases[] = {
    {"example.bcr",
     "[COORDINATES]\r\nP1=3456789,5987654.3\r\nP2=1000000,1000000\r\n[DESCRIPTION]\r\n"
     "P1=Name,Street,City\r\nP2=A,B,C\r\n[END]\r\n",
     0,
     KALMIRA_CONVERTED,
     "31.08764458, 47.31937027, Street,Name,City,\r\n8.99321461, 8.95651054, B,A,C,\r\n",
     {0}},
    {"leer.bcr",
     "[COORDINATES]\nP1=1,2\n[DESCRIPTION]\n",
     0,
     KALMIRA_CONVERTED,
     "",
     {KALMIRA_HINT_NO_POINTS, KALMIRA_HINT_COORDINATES_NOT_TAKEN, 0}},
    {"notiz.txt",
     "Einkaufen: Brot\n",
     0,
     KALMIRA_NO_SOURCE,
     "",
     {KALMIRA_HINT_NO_COORDINATES_SECTION, KALMIRA_HINT_NO_DESCRIPTION_SECTION,
      KALMIRA_HINT_NO_POINTS, 0}},
    {"bild.png",
     "\x89PNG\r\n\x1A\n\0\0\0\rIHDR",
     16,
     KALMIRA_NO_SOURCE,
     "",
     {KALMIRA_HINT_NOT_TEXT, KALMIRA_HINT_NO_COORDINATES_SECTION,
      KALMIRA_HINT_NO_DESCRIPTION_SECTION, KALMIRA_HINT_NO_POINTS}},
    {"werte.bcr",
     "[COORDINATES]\nP1=-250000,-250000\nP2=,\n[DESCRIPTION]\nP1=a\nP2=b\n",
     0,
     KALMIRA_CONVERTED,
     "-2.24830365, -2.24772930, a,\r\n0.00000000, -0.00000250, b,\r\n",
     {KALMIRA_HINT_EASTING_NO_NUMBER, KALMIRA_HINT_NORTHING_NO_NUMBER, 0}},
    {"utf8.bcr",
     "[COORDINATES]\nP1=1487533.05,6886305.18\n[DESCRIPTION]\nP1=K\xC3\xB6ln,Dom,x\n",
     0,
     KALMIRA_CONVERTED,
     "13.37770367, 52.51626968, Dom,K\xC3\xB6ln,x,\r\n",
     {KALMIRA_HINT_DESCRIPTIONS_IN_UTF8, 0}},
};

static size_t size_of(const struct source_case* c) { return c->size ? c->size : strlen(c->bytes); }

/* A point's fields agree with the target: its places round to the target's digits. */
static void check_points(const kalmira_conversion* conversion, const char* name) {
  size_t count = kalmira_point_count(conversion);
  for (size_t i = 0; i < count; ++i) {
    kalmira_point point;
    char digits[64];
    check(kalmira_get_point(conversion, i, &point) == 0, "a counted point is there", name);
    check(point.number == (int)i + 1, "points are numbered from 1", name);
    snprintf(digits, sizeof digits, "%.8f", (double)(float)point.longitude);
    check(strcmp(digits, point.target_longitude) == 0, "the longitude rounds to the target's",
          name);
    snprintf(digits, sizeof digits, "%.8f", (double)(float)point.latitude);
    check(strcmp(digits, point.target_latitude) == 0, "the latitude rounds to the target's", name);
    check(point.on_map == 1, "the point is on the map", name);
  }
  kalmira_point beyond;
  check(kalmira_get_point(conversion, count, &beyond) == -1, "no point beyond the count", name);
}

static void check_case(const struct source_case* c) {
  kalmira_conversion* conversion = kalmira_convert(c->name, c->bytes, size_of(c));
  size_t size = 0;
  const char* target = kalmira_target(conversion, &size);
  check(kalmira_outcome(conversion) == c->outcome, "the outcome", c->name);
  check(size == strlen(c->target) && memcmp(target, c->target, size) == 0, "the target", c->name);
  check((*kalmira_message(conversion) == '\0') == (c->outcome == KALMIRA_CONVERTED),
        "a message exactly where there is no target", c->name);
  size_t hints = 0;
  while (hints < 4 && c->hints[hints] != 0) ++hints;
  check(kalmira_hint_count(conversion) == hints, "the number of hints", c->name);
  for (size_t i = 0; i < hints; ++i) {
    check(kalmira_hint_code(conversion, i) == c->hints[i], "a hint's code", c->name);
    const char* text = kalmira_hint_text(conversion, i);
    check(text != NULL && strlen(text) > 0, "a hint's text", c->name);
  }
  check(kalmira_hint_text(conversion, hints) == NULL, "no hint beyond the count", c->name);
  check_points(conversion, c->name);
  kalmira_free(conversion);
}

/* Reads a source three bytes at a time, or fails after the first piece. */
struct pieces {
  const char* bytes;
  size_t left;
  int fail;
};
static long long read_pieces(void* context, char* buffer, size_t capacity) {
  struct pieces* source = context;
  size_t size = source->left < 3 ? source->left : 3;
  if (size > capacity) size = capacity;
  if (source->fail && source->left == 0) return -1;
  memcpy(buffer, source->bytes, size);
  source->bytes += size;
  source->left -= size;
  if (source->fail) source->left = 0;
  return (long long)size;
}

/* Gathers a target, or refuses it. */
struct gathered {
  char bytes[256];
  size_t size;
  int refuse;
};
static int gather(void* context, const char* bytes, size_t size) {
  struct gathered* target = context;
  if (target->refuse || target->size + size > sizeof target->bytes) return -1;
  memcpy(target->bytes + target->size, bytes, size);
  target->size += size;
  return 0;
}

static void check_reading_and_writing(void) {
  const struct source_case* example = &cases[0];
  struct pieces source = {example->bytes, size_of(example), 0};
  kalmira_conversion* conversion =
      kalmira_convert_read("dir.old/example.v2.bcr", read_pieces, &source, -1);
  struct gathered target = {{0}, 0, 0};
  check(kalmira_write_target(conversion, gather, &target) == 0, "the target written", "pieces");
  check(target.size == strlen(example->target) &&
            memcmp(target.bytes, example->target, target.size) == 0,
        "read in pieces, the same target", "pieces");
  check(strcmp(kalmira_target_name(conversion), "dir.old/example.asc") == 0,
        "the target's name beside the source", "pieces");
  target.refuse = 1;
  check(kalmira_write_target(conversion, gather, &target) == -1, "a refused write stops", "pieces");
  kalmira_free(conversion);

  struct pieces failing = {example->bytes, size_of(example), 1};
  conversion = kalmira_convert_read("kaputt.bcr", read_pieces, &failing, -1);
  check(kalmira_outcome(conversion) == KALMIRA_READ_FAILED, "a failed read", "failing");
  check(strstr(kalmira_message(conversion), "kaputt.bcr") != NULL, "names the source", "failing");
  check(kalmira_point_count(conversion) == 0, "no points from a failed read", "failing");
  kalmira_free(conversion);
}

static void check_null(void) {
  size_t size = 1;
  kalmira_point point;
  check(kalmira_outcome(NULL) == KALMIRA_NO_MEMORY, "no conversion, no memory", "null");
  check(kalmira_point_count(NULL) == 0 && kalmira_hint_count(NULL) == 0, "nothing counted", "null");
  check(kalmira_get_point(NULL, 0, &point) == -1, "no point", "null");
  check(*kalmira_target(NULL, &size) == '\0' && size == 0, "no target", "null");
  check(strcmp(kalmira_version(), KALMIRA_EXPECTED_VERSION) == 0, "the project's version",
        "version");
  kalmira_free(NULL);
}

int main(void) {
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) check_case(&cases[i]);
  check_reading_and_writing();
  check_null();
  printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
