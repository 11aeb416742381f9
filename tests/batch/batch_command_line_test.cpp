// SPDX-License-Identifier: GPL-3.0-or-later
// What a batch takes: its formats from the one list of outputs, each deck's conversion asked
// for its events with the options handed on before the deck.
#include "batch/batch_plan.h"

#include <algorithm>
#include <gtest/gtest.h>

TEST(BatchCommandLine, FormatsAreTheOutputsConvertWritesInAnySpelling)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"mp4,GIF", {"mp4", "gif"}},
        {" .webm , mkv,webm", {"webm", "mkv"}},
        {"chapters,vtt,srt,avi", {"chapters.txt", "vtt", "srt", "avi"}},
        {"chapters.txt", {"chapters.txt"}},
    };
    for (const auto& [given, formats] : cases) {
        const ParsedBatch parsed = ParseBatchCommandLine({"a.odp", "-O", "out", "--formats", given});
        ASSERT_EQ(parsed.error, "") << given;
        EXPECT_EQ(parsed.options.formats, formats) << given;
    }
    for (const char* wrong : {"png", "txt", ",", "gif.mp4"}) {
        const ParsedBatch parsed = ParseBatchCommandLine({"a.odp", "-O", "out", "--formats", wrong});
        EXPECT_NE(parsed.error.find("--formats"), std::string::npos) << wrong << ": " << parsed.error;
    }
    EXPECT_NE(ParseBatchCommandLine({"a.odp", "-O", "out", "--formats", "png"})
                  .error.find("gif, avi, mp4, webm, mkv, vtt, srt and chapters.txt"),
              std::string::npos);
}

TEST(BatchCommandLine, EachConversionReportsEventsAndTakesTheDeckAfterTheOptions)
{
    const ParsedBatch parsed =
        ParseBatchCommandLine({"-O", "out", "--formats", "gif", "--latency=900", "--cursor", "-j", "2", "--", "-talk.odp"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.convertOptions, (std::vector<std::string>{"--latency", "900", "--cursor"}));
    const std::vector<BatchDeck> decks = PlanBatch(parsed.options);
    ASSERT_EQ(decks.size(), 1u);
    const std::vector<std::string> args = ConversionArguments(decks[0], parsed.options);
    ASSERT_GE(args.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(args.begin(), args.begin() + 4),
              (std::vector<std::string>{"convert", "--headless", "--progress", "json"}));
    EXPECT_EQ(std::vector<std::string>(args.end() - 5, args.end()),
              (std::vector<std::string>{"--latency", "900", "--cursor", "--", decks[0].path}));
    EXPECT_NE(std::find(args.begin(), args.end(), "out/-talk.gif"), args.end());
}
