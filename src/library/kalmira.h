/* KALMIRA's conversion for programs in any language: C, Python's ctypes, WebAssembly, a program
 * built by another compiler than the library. A source goes in as bytes; out come its points,
 * the hints about what is doubtful in it, and its target, the .asc file's bytes. Everything the
 * library hands out belongs to a conversion and is freed with it; no call throws, aborts or
 * keeps anything between conversions, so that conversions in several threads do not meet (one
 * conversion is used by one thread at a time). */
#ifndef KALMIRA_H
#define KALMIRA_H

#include <stddef.h>

#if defined(_WIN32) && defined(KALMIRA_BUILDING)
#define KALMIRA_API __declspec(dllexport)
#elif defined(_WIN32)
#define KALMIRA_API __declspec(dllimport)
#elif defined(KALMIRA_BUILDING)
#define KALMIRA_API __attribute__((visibility("default")))
#else
#define KALMIRA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The library's version, "1.0". */
KALMIRA_API const char* kalmira_version(void);

/* One source converted. */
typedef struct kalmira_conversion kalmira_conversion;

/* Gives the source's next bytes: fills `buffer` with at most `capacity` bytes and returns how
 * many, 0 at the source's end, or -1 when it cannot be read. */
typedef long long (*kalmira_read_function)(void* context, char* buffer, size_t capacity);

/* Converts the source `name` (a NUL-terminated file name, used for the target's name and in
 * messages; its bytes are kept as they are) of `size` bytes at `bytes`. Null only when the
 * memory for the conversion itself runs out; free it with kalmira_free. */
KALMIRA_API kalmira_conversion* kalmira_convert(const char* name, const void* bytes, size_t size);
/* The same, the bytes given by `read` (`context` is handed to it). `size` is the number of
 * bytes the source has, where known, or -1: it only saves memory for very long lines. */
KALMIRA_API kalmira_conversion* kalmira_convert_read(const char* name, kalmira_read_function read,
                                                     void* context, long long size);
/* Frees a conversion and everything it handed out; null is taken. */
KALMIRA_API void kalmira_free(kalmira_conversion* conversion);

/* What became of a source. */
enum kalmira_outcome {
  KALMIRA_CONVERTED = 0,   /* read to its end; its target holds its points */
  KALMIRA_NO_SOURCE = 1,   /* read, but it has neither [COORDINATES] nor [DESCRIPTION] */
  KALMIRA_READ_FAILED = 2, /* could not be read to its end (a read error, too large for memory) */
  KALMIRA_NO_MEMORY = 3    /* only said by calls given a null conversion */
};
KALMIRA_API int kalmira_outcome(const kalmira_conversion* conversion);
/* Why a source gives no target, in German (UTF-8, the source's name quoted); "" when it gives
 * one. */
KALMIRA_API const char* kalmira_message(const kalmira_conversion* conversion);

/* The target's name: the source's name up to the first "." of its file name that is not the
 * name's first character, then ".asc", in the source's folder. */
KALMIRA_API const char* kalmira_target_name(const kalmira_conversion* conversion);
/* The target's bytes, `*size` of them (not NUL-terminated); empty for a source that gives none.
 * Made at the first call and kept by the conversion. */
KALMIRA_API const char* kalmira_target(const kalmira_conversion* conversion, size_t* size);
/* Takes the target's bytes piece by piece, so that a large one is never held whole: returns 0,
 * or -1 to stop. */
typedef int (*kalmira_write_function)(void* context, const char* bytes, size_t size);
/* Hands the target to `write` (`context` is handed to it); returns 0, or -1 where `write` did. */
KALMIRA_API int kalmira_write_target(const kalmira_conversion* conversion,
                                     kalmira_write_function write, void* context);

/* One point of the target, numbered from 1 in the target's order. */
typedef struct kalmira_point {
  double longitude; /* degrees, east positive, as the conversion gives them before the target */
  double latitude;  /* rounds them to single precision; north positive */
  const char* target_longitude; /* as the target writes them: eight decimals, NUL-terminated */
  const char* target_latitude;
  const char* pieces[3]; /* the description pieces, as the source holds them (not */
  size_t piece_sizes[3]; /* NUL-terminated: a piece may hold any byte) */
  int number;
  int on_map; /* 1 where longitude and latitude are finite and on a Mercator map, else 0 */
} kalmira_point;
KALMIRA_API size_t kalmira_point_count(const kalmira_conversion* conversion);
/* Fills `point` with point `index` (counted from 0); returns 0, or -1 for an index beyond the
 * points. */
KALMIRA_API int kalmira_get_point(const kalmira_conversion* conversion, size_t index,
                                  kalmira_point* point);
/* 1 where the descriptions are UTF-8, 0 where they are Windows-1252 (or plain ASCII). */
KALMIRA_API int kalmira_descriptions_in_utf8(const kalmira_conversion* conversion);

/* What is doubtful about a source, by kind; the codes keep their numbers in later versions. */
enum kalmira_hint_code {
  KALMIRA_HINT_NOT_TEXT = 1,
  KALMIRA_HINT_NO_COORDINATES_SECTION = 2,
  KALMIRA_HINT_NO_DESCRIPTION_SECTION = 3,
  KALMIRA_HINT_NO_POINTS = 4,
  KALMIRA_HINT_COORDINATES_OVERFLOW = 5,
  KALMIRA_HINT_DESCRIPTIONS_OVERFLOW = 6,
  KALMIRA_HINT_WITHOUT_COORDINATES = 7,
  KALMIRA_HINT_WITHOUT_DESCRIPTION = 8,
  KALMIRA_HINT_COORDINATES_NOT_TAKEN = 9,
  KALMIRA_HINT_DESCRIPTIONS_NOT_TAKEN = 10,
  KALMIRA_HINT_EASTING_NO_NUMBER = 11,
  KALMIRA_HINT_NORTHING_NO_NUMBER = 12,
  KALMIRA_HINT_EASTING_PARTLY_NUMBER = 13,
  KALMIRA_HINT_NORTHING_PARTLY_NUMBER = 14,
  KALMIRA_HINT_NEAR_ZERO = 15,
  KALMIRA_HINT_FAR_FROM_OTHERS = 16,
  KALMIRA_HINT_OFF_MAP = 17,
  KALMIRA_HINT_DESCRIPTIONS_IN_UTF8 = 18
};
KALMIRA_API size_t kalmira_hint_count(const kalmira_conversion* conversion);
/* Hint `index` (counted from 0) as its code, 0 beyond the hints; and as German text (UTF-8,
 * NUL-terminated), as the console says it; null beyond the hints. */
KALMIRA_API int kalmira_hint_code(const kalmira_conversion* conversion, size_t index);
KALMIRA_API const char* kalmira_hint_text(const kalmira_conversion* conversion, size_t index);

#ifdef __cplusplus
}
#endif

#endif
