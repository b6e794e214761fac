#include "hint_text.h"

#include <cstddef>
#include <string_view>

#include "windows1252.h"

namespace kalmira {
namespace {

// „ and “ in Windows-1252, around a text the hint quotes; a control character in it, which
// would break the hint's line on a console, as "?".
std::string quoted(std::string_view text) {
  std::string quote = "\x84";
  for (const char c : text) quote += (c >= 0 && c < 0x20) || c == 0x7F ? '?' : c;
  return quote + "\x93";
}

// "Punkt 3" or "Punkte 1, 4–5" (an en dash in Windows-1252).
std::string points_named(const std::vector<int>& points) {
  std::string text = points.size() == 1 ? "Punkt " : "Punkte ";
  for (std::size_t i = 0; i < points.size();) {
    std::size_t last = i;
    while (last + 1 < points.size() && points[last + 1] == points[last] + 1) ++last;
    text += (i > 0 ? ", " : "") + std::to_string(points[i]);
    if (last > i) text += "\x96" + std::to_string(points[last]);
    i = last + 1;
  }
  return text;
}

std::string overflow(std::string_view section, std::int64_t entries) {
  const std::string first = std::to_string(kMaxPoints + 1);
  const std::string missing = entries == kMaxPoints + 1 ? "Eintrag " + first + " fehlt"
                                                        : "Eintr\xE4ge " + first + "\x96" +
                                                              german_number(entries) + " fehlen";
  return "Der Abschnitt " + std::string(section) + " hat " + german_number(entries) +
         " Eintr\xE4ge, eine Zieldatei fasst nur " + std::to_string(kMaxPoints) + ": " + missing +
         " in der Zieldatei.";
}

std::string not_taken(const std::vector<int>& points, std::string_view what) {
  return "Nicht in der Zieldatei: " + points_named(points) + ", " + std::string(what) +
         ". Die Zieldatei hat so viele Punkte, wie der zuletzt gelesene Abschnitt Eintr\xE4ge "
         "hat.";
}

std::string partly_number(std::string_view value, const SourceDoubt& doubt) {
  std::string text = std::string(value) + " nur zum Teil eine Zahl: " + points_named(doubt.points) +
                     (doubt.points.size() > 1 ? ", zuerst " : ", ") + quoted(doubt.quote) +
                     ", gelesen als " + quoted(doubt.number_read) + ".";
  if (doubt.decimal_comma) {
    text += " Stehen in der Quelldatei Dezimalkommas? Gelesen wird nur der Dezimalpunkt.";
  }
  return text;
}

// "liegt" for one point, "liegen" for more.
std::string lie(const std::vector<int>& points) {
  return points_named(points) + (points.size() == 1 ? " liegt" : " liegen");
}

std::string in_utf8(const SourceDoubt& doubt) {
  return "Die Beschreibungen sind in UTF-8 gespeichert, nicht in Windows-1252 (zuerst bei " +
         points_named(doubt.points) + ": " + quoted(utf8_to_windows1252(doubt.quote)) +
         "). Die Zieldatei \xFC"
         "bernimmt ihre Bytes unver\xE4ndert; ein Programm, das sie "
         "als Windows-1252 liest, zeigt " +
         quoted(doubt.quote) + ".";
}

// The hints about single points.
std::string point_hint(const SourceDoubt& doubt) {
  const std::vector<int>& points = doubt.points;
  switch (doubt.kind) {
    case Doubt::kWithoutCoordinates:
      return points_named(points) +
             " ohne Koordinaten: die Zieldatei gibt L\xE4nge 0 und Breite 0 an (im Golf von "
             "Guinea).";
    case Doubt::kWithoutDescription:
      return points_named(points) + " ohne Beschreibung.";
    case Doubt::kEastingNoNumber:
      return "Rechtswert keine Zahl, als 0 gelesen: " + points_named(points) + ".";
    case Doubt::kNorthingNoNumber:
      return "Hochwert keine Zahl, als 0 gelesen: " + points_named(points) + ".";
    case Doubt::kNearZero:
      return lie(points) +
             " bei L\xE4nge 0, Breite 0 (im Golf von Guinea): Rechts- und Hochwert sind "
             "h\xF6"
             "chstens 180. Stehen die Koordinaten in Grad statt in Metern?";
    case Doubt::kFarFromOthers:
      return lie(points) + " " + german_number(doubt.kilometres) +
             " km von der Mitte der \xFC"
             "brigen Punkte entfernt: ein Tippfehler in den Koordinaten?";
    case Doubt::kOffMap:
      return lie(points) +
             " nicht auf der Karte: L\xE4nge oder Breite ist zu gro\xDF (\xFC"
             "ber 180\xB0 oder \xFC"
             "ber 85\xB0) oder gar keine Zahl.";
    case Doubt::kDescriptionsInUtf8:
      return in_utf8(doubt);
    default:
      return {};  // the other kinds are the source's as a whole: hint_text words them
  }
}

std::string hint_text(const SourceDoubt& doubt) {
  switch (doubt.kind) {
    case Doubt::kNotText:
      return "Die Quelldatei ist keine Textdatei, eher ein Bild oder ein Programm: ist es "
             "wirklich eine .bcr-Datei?";
    case Doubt::kNoCoordinatesSection:
      return "Die Quelldatei hat keinen Abschnitt [COORDINATES].";
    case Doubt::kNoDescriptionSection:
      return "Die Quelldatei hat keinen Abschnitt [DESCRIPTION].";
    case Doubt::kNoPoints:
      return "Die Zieldatei enth\xE4lt keine Punkte.";
    case Doubt::kCoordinatesOverflow:
      return overflow("[COORDINATES]", doubt.entries);
    case Doubt::kDescriptionsOverflow:
      return overflow("[DESCRIPTION]", doubt.entries);
    case Doubt::kCoordinatesNotTaken:
      return not_taken(doubt.points, "Koordinaten ohne Beschreibung");
    case Doubt::kDescriptionsNotTaken:
      return not_taken(doubt.points, doubt.points.size() == 1 ? "Beschreibung ohne Koordinaten"
                                                              : "Beschreibungen ohne Koordinaten");
    case Doubt::kEastingPartlyNumber:
      return partly_number("Rechtswert", doubt);
    case Doubt::kNorthingPartlyNumber:
      return partly_number("Hochwert", doubt);
    default:
      return point_hint(doubt);
  }
}

}  // namespace

std::string german_number(std::int64_t number) {
  const std::string digits = std::to_string(number < 0 ? -number : number);
  std::string text = number < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (digits.size() > 4 && i > 0 && (digits.size() - i) % 3 == 0) text += '.';
    text += digits[i];
  }
  return text;
}

std::vector<std::string> hint_texts(const std::vector<SourceDoubt>& doubts) {
  std::vector<std::string> hints;
  std::size_t last_overflow = doubts.size();
  for (const SourceDoubt& doubt : doubts) {
    if (doubt.kind == Doubt::kCoordinatesOverflow || doubt.kind == Doubt::kDescriptionsOverflow) {
      last_overflow = hints.size();
    }
    hints.push_back(hint_text(doubt));
  }
  // What to do about too many entries, said once for both sections.
  if (last_overflow < hints.size()) {
    hints[last_overflow] +=
        " Bitte die Quelldatei in Dateien mit h\xF6"
        "chstens " +
        std::to_string(kMaxPoints) + " Punkten aufteilen.";
  }
  return hints;
}

}  // namespace kalmira
