/* Converts one source file through the C interface alone, as a program of another language
 * would: hands it its bytes as it reads them, writes its target where it gives one, prints each
 * hint as its code and text (UTF-8) a line, and why it gives no target on standard error. The
 * exit status is the outcome (kalmira.h), or 9 when the source cannot be opened or the target
 * not written.
 * Built with KALMIRA_LOAD_BY_PATH on Windows, it finds the library as a Windows Python's ctypes
 * must: kalmira.dll loaded by the full path in KALMIRA_LIBRARY, its functions by their names.
 * Usage: kalmira_library_convert SOURCE TARGET */
#include <stdio.h>

#include "kalmira.h"

/* The functions it calls: linked, or found in the library by their names. */
#define FUNCTIONS(X) \
  X(convert_read) X(free) X(outcome) X(message) X(target) X(hint_count) X(hint_code) X(hint_text)
#define FIELD(name) __typeof__(&kalmira_##name) name;
static struct { FUNCTIONS(FIELD) } kalmira;

#ifdef KALMIRA_LOAD_BY_PATH
#include <windows.h>
#define FIND(name)                                                               \
  &&(kalmira.name = (__typeof__(&kalmira_##name))(void (*)(void))GetProcAddress( \
         library, "kalmira_" #name)) != NULL
static int load_library(void) {
  const wchar_t* path = _wgetenv(L"KALMIRA_LIBRARY");
  const DWORD search = LOAD_LIBRARY_SEARCH_DEFAULT_DIRS | LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR;
  HMODULE library = path == NULL ? NULL : LoadLibraryExW(path, NULL, search);
  return library != NULL FUNCTIONS(FIND);
}
#else
#define LINK(name) kalmira.name = kalmira_##name;
static int load_library(void) {
  FUNCTIONS(LINK)
  return 1;
}
#endif

/* Gives the source's next bytes, as kalmira_convert_read asks for them. */
static long long read_file(void* file, char* buffer, size_t capacity) {
  const size_t got = fread(buffer, 1, capacity, file);
  return ferror(file) ? -1 : (long long)got;
}

int main(int argc, char** argv) {
  FILE* source = argc == 3 ? fopen(argv[1], "rb") : NULL;
  if (source == NULL || !load_library()) return 9;
  kalmira_conversion* conversion = kalmira.convert_read(argv[1], read_file, source, -1);
  fclose(source);
  const int outcome = kalmira.outcome(conversion);
  for (size_t i = 0; i < kalmira.hint_count(conversion); ++i) {
    printf("%d %s\n", kalmira.hint_code(conversion, i), kalmira.hint_text(conversion, i));
  }
  fprintf(stderr, "%s", kalmira.message(conversion));
  if (outcome == KALMIRA_CONVERTED) {
    size_t size = 0;
    const char* target = kalmira.target(conversion, &size);
    FILE* file = fopen(argv[2], "wb");
    const int written = file != NULL && fwrite(target, 1, size, file) == size;
    if (file == NULL || fclose(file) != 0 || !written) return 9;
  }
  kalmira.free(conversion);
  return outcome;
}
