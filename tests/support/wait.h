#pragma once
// Waiting for what another thread or process does.
#include <functional>

// Polls done() every 50 ms until it holds; false when it still does not after
// two and a half minutes, so that a hung program fails the test instead of
// hanging it.
bool WaitUntil(const std::function<bool()>& done);
