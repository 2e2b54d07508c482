#include "panel/held_notices.h"

namespace quorlin {

HeldNotices::Released HeldNotices::Look(bool busy, unsigned questionsHeld) {
    Released out;
    if (busy) return out;
    out.balloon = std::move(balloon_);
    balloon_.reset();
    out.askAgain = questionsHeld != questionsAsked_;
    questionsAsked_ = questionsHeld;
    return out;
}

}  // namespace quorlin
