// Texts with places for numbers and names, so that a translation may put
// them where its language wants them.
#pragma once

#include <initializer_list>
#include <string>

namespace kelvane {

// `text` with "{1}", "{2}", ... replaced by the arguments in that order; a
// place without an argument stays as it is.
std::string Fill(const std::string& text, std::initializer_list<std::string> arguments);

// Gives a text in the reader's language: the text itself, or its translation
// from a catalogue.
using Translator = const char* (*)(const char* text);

// The translator of a reader of English: the text itself.
inline const char* Untranslated(const char* text) { return text; }

// Marks a text for the translators' catalogue where it is not translated at
// once (xgettext --keyword=N_ finds it).
constexpr const char* N_(const char* text) { return text; }

}  // namespace kelvane
