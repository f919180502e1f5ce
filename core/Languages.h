#pragma once

namespace qvr {

// The voice-prompt languages a receiver's language file can hold. The names
// are the texts shown to the operator.
enum class Language {
    English, Japanese, French, Spanish, Tonal, Korean, Portuguese, Finnish, Dutch, Chinese, Italian,
    Russian, DutchMale, DutchFemale, German, HungarianFemale, HungarianMale, Lithuanian,
    // handheld program only
    Czech, Polish, Slovak, Greek,
};

const char* LanguageName(Language language);

} // namespace qvr
