// The texts a user reads (messages, captions, labels, the tray tip) by id, in the language of
// the user interface. Portable code asks Text(id) and fills the "%s"/"%d" places with FillIn.
// The program installs a table that reads the string resources of the chosen language block
// (framework/texts_win.h); before that, and in native builds, the Chinese texts answer.
#pragma once
#include <initializer_list>
#include <string>

#include "framework/text_ids.h"

namespace quorlin {

class ITexts {
public:
    virtual ~ITexts() = default;
    // The text of an IDS_ id; "" for an id without one. May be called from any thread.
    virtual std::wstring Get(unsigned id) = 0;
};

ITexts& Texts();
// Installs a table; nullptr restores the Chinese one. Returns the previous one.
ITexts* SetTexts(ITexts* impl);

// Texts().Get(id).
std::wstring Text(unsigned id);

// The Chinese text of an id, as the Chinese block of res/quorlin.rc holds it ("" if none).
std::wstring ChineseText(unsigned id);

// `pattern` with each "%s" or "%d", left to right, replaced by the next argument (by "" once
// they run out). What an argument brings in is not scanned again.
std::wstring FillIn(const std::wstring& pattern, std::initializer_list<std::wstring> args);

}  // namespace quorlin
