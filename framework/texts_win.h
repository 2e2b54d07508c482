// The text table that reads the program's string resources of one language block.
#pragma once

#include "framework/texts.h"

namespace quorlin {

class ResourceTexts : public ITexts {
public:
    // languageId: a LANGID of a block in res/quorlin.rc.
    explicit ResourceTexts(unsigned short languageId) : language_(languageId) {}
    // The string of that block, found by language and not by the calling thread's UI
    // language, so the version check's worker thread reads the same texts; a string the
    // block lacks comes from LoadStringW.
    std::wstring Get(unsigned id) override;
    unsigned short language() const { return language_; }

private:
    unsigned short language_;
};

}  // namespace quorlin
