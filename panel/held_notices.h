// What waits while the user must not be interrupted (a full-screen program, a game, a
// presentation): the tray's balloon and the version check's question. Each comes out
// once, at the first look that finds the user free again. Portable.
#pragma once

#include <optional>
#include <string>

namespace quorlin {

class HeldNotices {
public:
    // questionsHeld: the count below when the panel starts (earlier ones are not its own).
    explicit HeldNotices(unsigned questionsHeld = 0) : questionsAsked_(questionsHeld) {}
    // A balloon to show at the next look (a later one replaces an earlier one).
    void HoldBalloon(std::wstring text) { balloon_ = std::move(text); }
    // Whether a look is worth making. questionsHeld: how many times the version check has
    // held its question back so far.
    bool Waiting(unsigned questionsHeld) const { return balloon_.has_value() || questionsHeld != questionsAsked_; }

    struct Released {
        std::optional<std::wstring> balloon;  // show it now
        bool askAgain = false;                // start another version check: it asks now
    };
    // A look at the user's state: nothing while busy; once free, everything held, once.
    Released Look(bool busy, unsigned questionsHeld);

private:
    std::optional<std::wstring> balloon_;
    unsigned questionsAsked_;  // the count of held questions already asked again
};

}  // namespace quorlin
