#pragma once

#include "arp/CChangeTracker.h"

#include <string>

// The watch's memory between runs: a JSON Lines file whose first line is
// {"format":"quorvane-state","version":1}, then one object per address
// with its interface, its last two MACs with when each was first and last
// seen, and whether it is or was a gateway.
class CWatchState
{
public:
    enum class Load {
        Loaded,  // read into the tracker
        Missing, // no file yet: start afresh
        Foreign, // not ours: to be left alone
        Damaged  // ours, but broken further on: kept aside as FILE.bad
    };

    explicit CWatchState(std::string path) : m_strPath(std::move(path)) {}

    // Reads the file into tracker. Damaged renames it to FILE.bad and
    // restores nothing. problem says what was wrong, for a message.
    Load Read(CChangeTracker& tracker, std::string& problem) const;

    // Replaces the file with what tracker holds, as a save must: nothing
    // half written is ever seen. False with reason on failure.
    bool Write(const CChangeTracker& tracker, std::string& reason) const;

    const std::string& Path() const { return m_strPath; }

    // RFC 3339 in UTC with milliseconds: "2026-12-09T17:10:00.123Z".
    static std::string TimeText(CChangeTracker::Clock::time_point when);
    static bool ParseTime(const std::string& text, CChangeTracker::Clock::time_point& when);

private:
    std::string m_strPath;
};
