#pragma once
// Captions from the speaker notes: a slide's notes are spread over the time the slide is on
// screen, in cues of at most two lines of 42 characters (what caption guidelines and players
// show without wrapping), and written as WebVTT or SubRip text.

#include "core/slide_timeline.h"

#include <string>
#include <vector>

constexpr int kCaptionLineLength = 42;
constexpr int kCaptionLines = 2;
// A cue shorter than this cannot be read: a slide too short for its notes shows fewer of them.
constexpr long long kShortestCueMs = 1000;

// The cues of one slide's notes over [startMs, endMs): the words in lines of at most
// kCaptionLineLength characters (a longer word is cut), kCaptionLines lines a cue, each cue as
// long as its share of the text; the last ends at endMs. Lines of a cue are joined by '\n'.
// Notes of only white space give none. When the span is too short for every cue to last
// kShortestCueMs, only the first cues that can are kept, the last of them ending in "…", and
// shortened is set.
std::vector<TimedText> NoteCues(const std::string& notes, long long startMs, long long endMs, bool* shortened = nullptr);

// The cues of a whole recording: each slide span's notes (notesOfSlide[n - 1] for slide n,
// none when there is no such entry), never crossing into the next span. shortened, when given,
// gets the slides whose notes were shortened.
std::vector<TimedText> RecordingCues(const std::vector<SlideSpan>& spans, const std::vector<std::string>& notesOfSlide,
                                     std::vector<int>* shortened = nullptr);

// The captions as files. The text is always text: WebVTT escapes &, < and >; SubRip has no
// escapes, so a zero-width space breaks up what its readers would take for a tag or a
// timing arrow.
std::string WebVttText(const std::vector<TimedText>& cues);
std::string SubRipText(const std::vector<TimedText>& cues);
