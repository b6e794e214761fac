#pragma once

#include <string_view>

// The dialogue's texts, in Windows-1252: 0xE4 is "ä", 0xD6 is "Ö".
namespace kalmira::messages {

inline constexpr std::string_view kUsage =
    "Der Konverter muss mindestens im Format:  \n KALMIRA originaldatei.bcr aufgerufen werden !\n";
inline constexpr std::string_view kUsageWithTarget =
    "Alternativ mit KALMIRA orignaldatei.bcr zieldatei.asc\n";
inline constexpr std::string_view kAskForName = "Bitte Dateinamen eingeben (max250 Zeichen) : ";
inline constexpr std::string_view kConvertingFrom = "Konvertierung von\n  ";
inline constexpr std::string_view kConvertingTo = "nach \n  ";
inline constexpr std::string_view kOpenFailed =
    "Fehler beim \xD6"
    "ffnen von ";
inline constexpr std::string_view kReadFailed = "Fehler beim Lesen von ";
inline constexpr std::string_view kWriteFailed = "Fehler beim Schreiben von ";
inline constexpr std::string_view kConfirmAfterFailure =
    "Bitte mit Return best\xE4"
    "tigen \n";
// Where several sources are converted at once, after the name of a target that would replace
// one of them.
inline constexpr std::string_view kWouldReplaceSource =
    "Nicht geschrieben: die Zieldatei w\xE4re eine der Quelldateien.\n";
// Before each hint about a doubtful source.
inline constexpr std::string_view kHint = "Hinweis: ";
inline constexpr std::string_view kConfirm =
    "Bitte mit Return best\xE4"
    "tigen";

}  // namespace kalmira::messages
