/** @file Fixture builders for localized strings: IFF trees, language-code lists and string sections. */
#pragma once

#include "tools/formats/language_formats.h"

namespace testsupport {

namespace iff = formats::iff;
using formats::encodeLanguageCodes;
using formats::encodeLanguageSection;
using formats::LanguageCodeEntry;
using formats::LanguageSectionSpec;

} // namespace testsupport
