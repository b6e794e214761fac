#include "sentences.h"

#include "hint_text.h"
#include "messages.h"
#include "windows1252.h"

namespace kalmira {
namespace {

// „ and “ around a name.
std::string quoted(std::string_view name) {
  return "\xE2\x80\x9E" + std::string(name) + "\xE2\x80\x9C";
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
  return "Zieldatei " + quoted(target) + " statt " + quoted(wanted) + ": " + quoted(wanted) +
         " entsteht schon aus " + quoted(owner) + ".";
}

std::vector<std::string> hint_sentences(const std::vector<SourceDoubt>& doubts) {
  std::vector<std::string> sentences = hint_texts(doubts);
  for (std::string& sentence : sentences) sentence = windows1252_to_utf8(sentence);
  return sentences;
}

}  // namespace kalmira
