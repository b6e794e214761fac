#include "sentences.h"

#include "hint_text.h"
#include "messages.h"
#include "windows1252.h"

namespace kalmira {
namespace {

// „ and “ around a name, in UTF-8 or in Windows-1252.
std::string quoted(std::string_view name, bool utf8 = true) {
  return (utf8 ? "\xE2\x80\x9E" : "\x84") + std::string(name) + (utf8 ? "\xE2\x80\x9C" : "\x93");
}

std::string renamed(std::string_view target, std::string_view wanted, std::string_view owner,
                    bool utf8) {
  return "Zieldatei " + quoted(target, utf8) + " statt " + quoted(wanted, utf8) + ": " +
         quoted(wanted, utf8) + " entsteht schon aus " + quoted(owner, utf8) + ".";
}

}  // namespace

std::string no_source_sentence(std::string_view name) {
  return quoted(name) + " ist keine Quelldatei: sie hat weder [COORDINATES] noch [DESCRIPTION].";
}

std::string read_failure_sentence(std::string_view name) {
  return windows1252_to_utf8(messages::kReadFailed) + quoted(name);
}

std::string renamed_target_sentence(std::string_view target, std::string_view wanted,
                                    std::string_view owner) {
  return renamed(target, wanted, owner, true);
}

std::string renamed_target_hint(std::string_view target, std::string_view wanted,
                                std::string_view owner) {
  return renamed(target, wanted, owner, false);
}

std::string summary_of_sources(int sources, int converted, int with_hints, int failed) {
  std::string summary = german_number(sources) + (sources == 1 ? " Datei: " : " Dateien: ") +
                        german_number(converted) + " umgerechnet";
  if (with_hints > 0) summary += ", " + german_number(with_hints) + " davon mit Hinweisen";
  if (failed > 0) summary += "; " + german_number(failed) + " fehlgeschlagen";
  return summary;
}

std::vector<std::string> hint_sentences(const std::vector<SourceDoubt>& doubts) {
  std::vector<std::string> sentences = hint_texts(doubts);
  for (std::string& sentence : sentences) sentence = windows1252_to_utf8(sentence);
  return sentences;
}

}  // namespace kalmira
