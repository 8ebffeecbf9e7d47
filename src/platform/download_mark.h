#pragma once
// The mark Windows gives a downloaded file (its zone of origin, kept beside
// the file's data): programs that open the file ask it before they trust it.
#include <string>

// Gives to the mark that from carries, so that a copy of a downloaded file
// is still known as downloaded. True when from has no mark or it was copied.
[[nodiscard]] bool CopyDownloadMark(const std::string& from, const std::string& to);
