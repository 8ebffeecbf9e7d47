#pragma once
// A problem told to the user once, and told again only after it has gone
// away: the same failure at every attempt is not a message at every attempt.
// Cause tells problems apart where another one is worth telling at once; by
// default there is one kind.
#include <optional>

template <class Cause = bool>
class TellOnce {
 public:
  // It failed for cause: true when that is to be told now, as it is not the
  // problem told last since it last worked.
  bool Failed(const Cause& cause = Cause{}) {
    if (told_ && *told_ == cause) return false;
    told_ = cause;
    return true;
  }
  // It failed for cause, and the caller tells it whatever was told before.
  void Told(const Cause& cause = Cause{}) { told_ = cause; }
  // It worked: the next failure is told again.
  void Worked() { told_.reset(); }

 private:
  std::optional<Cause> told_;
};
