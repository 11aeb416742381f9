// SPDX-License-Identifier: GPL-3.0-or-later
// What a batch reads from its conversions' logs: the events the shared writer wrote, whatever
// a name holds, and nothing from the other lines a log has.
#include "batch/conversion_events.h"
#include "core/json_event.h"

#include <gtest/gtest.h>

TEST(ConversionEvents, WhatTheWriterWritesIsReadBackAndOtherLinesAreNoEvents)
{
    const std::string oddName = "talk \"final\"\\\t\xff.mp4";
    struct Case {
        JsonEvent written;
        ConversionEvent read;
    };
    const std::vector<Case> cases = {
        {JsonEvent("progress").Text("deck", "a.odp").Status("a.gif writing 40%", 40),
         {"progress", "a.gif writing 40%", 40, "", ""}},
        {JsonEvent("progress").Status("Recording slide 2 (2,Results)  0:01.1", -1),
         {"progress", "Recording slide 2 (2,Results)  0:01.1", -1, "", ""}},
        {JsonEvent("output").Text("path", oddName).Number("bytes", 120), {"output", "", -1, "talk \"final\"\\\t\xef\xbf\xbd.mp4", ""}},
        {JsonEvent("failed").Text("reason", "cannot show it\nat all").Tenths("seconds", 2.25),
         {"failed", "", -1, "", "cannot show it\nat all"}},
    };
    for (const Case& c : cases) {
        const std::string line = c.written.Json();
        SCOPED_TRACE(line);
        const std::optional<ConversionEvent> read = ReadConversionEvent(line);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->event, c.read.event);
        EXPECT_EQ(read->status, c.read.status);
        EXPECT_EQ(read->percent, c.read.percent);
        EXPECT_EQ(read->path, c.read.path);
        EXPECT_EQ(read->reason, c.read.reason);
    }
    for (const char* other : {"deckrec: cannot convert a.odp: no such file", "a.gif [#####     ] 50%",
                                     "{\"event\":\"progress\"", "{\"status\":\"no event\"}", "[1,2]", ""})
        EXPECT_FALSE(ReadConversionEvent(other).has_value()) << other;
}

TEST(ConversionEvents, ErrorsButNotWarningsOfTheLogAreKept)
{
    EXPECT_EQ(ErrorOfLogLine("deckrec: LibreOffice could not make a slide show"),
              "LibreOffice could not make a slide show");
    EXPECT_EQ(ErrorOfLogLine("deckrec: warning: the font \"Gill Sans MT\" is not installed"), "");
    EXPECT_EQ(ErrorOfLogLine("Recorded 39 slots (0:05.8)"), "");
}
