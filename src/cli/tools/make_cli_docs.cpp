// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the manual page deckrec(1) and the bash completion from `deckrec --help` and
// `deckrec batch --help`, at build time:
//
//   make_cli_docs --changelog FILE --summary TEXT --data-folder DIR --manpage OUT --completion OUT
//
// The synopsis, every option with its value and default, the notes and the exit statuses come
// from the help texts; what a help has no room for (the environment, the files, examples) is
// written here. The build fails when the help takes a shape this cannot place, names a
// subcommand or option this has no words for, when an example is not a valid command line,
// or when the package's changelog is not for this version.
#include "batch/batch_command_line.h"
#include "core/command_options.h"
#include "core/output_formats.h"
#include "cli/command_line.h"
#include "cli/tools/help_text.h"
#include "core/deck_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Joined(const std::vector<std::string>& items, const std::string& between)
{
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty())
            text += between;
        text += item;
    }
    return text;
}

bool Contains(const std::vector<std::string>& items, const std::string& item)
{
    return std::find(items.begin(), items.end(), item) != items.end();
}

// ---- roff ----------------------------------------------------------------------------------

// Plain text for a roff text line: backslashes printed as such, and the hyphens of a word that
// starts with one (an option, "-") made minus signs, so that what is copied from the page can
// be typed. A line starting with a dot or a quote would be read as a request.
std::string Roff(const std::string& text)
{
    std::string out;
    bool optionWord = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const bool wordStart = i == 0 || std::string(" ([\"'`/").find(text[i - 1]) != std::string::npos;
        if (ch == ' ')
            optionWord = false;
        else if (wordStart && ch == '-')
            optionWord = true;
        if (ch == '\\')
            out += "\\e";
        else if (ch == '-' && optionWord)
            out += "\\-";
        else
            out += ch;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string Bold(const std::string& text)
{
    return "\\fB" + Roff(text) + "\\fR";
}

std::string Italic(const std::string& text)
{
    return "\\fI" + Roff(text) + "\\fR";
}

std::string Capitalized(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string Sentence(std::string text)
{
    text = Capitalized(text);
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

// "256|gray": values typed as they are in bold, placeholders in italics.
std::string ValueInRoff(const std::string& value)
{
    std::vector<std::string> parts;
    std::istringstream in(value);
    for (std::string part; std::getline(in, part, '|');)
        parts.push_back(IsLiteralValue(part) ? Bold(part) : Italic(part));
    return Joined(parts, "|");
}

std::string OptionTag(const HelpOption& option)
{
    std::vector<std::string> names;
    for (const std::string& name : option.names)
        names.push_back(Bold(name));
    return Joined(names, ", ") + (option.value.empty() ? "" : " " + ValueInRoff(option.value));
}

// "time between slide actions [5000]" -> "Time between slide actions. Default: 5000."; a
// default in the middle of a description stays where it is, in words. A description that
// starts with one of the option's values ("json: one JSON event a line") keeps its case.
std::string OptionDescription(const HelpOption& option)
{
    std::string text = option.text;
    std::string tail;
    for (size_t open = text.find('['); open != std::string::npos; open = text.find('[', open + 1)) {
        const size_t close = text.find(']', open);
        if (close == std::string::npos)
            throw Failure("an unclosed default in \"" + text + "\"");
        const std::string value = text.substr(open + 1, close - open - 1);
        if (close + 1 == text.size()) {
            tail = " Default: " + value + ".";
            text.erase(open);
            while (!text.empty() && text.back() == ' ')
                text.pop_back();
            break;
        }
        text.replace(open, close - open + 1, "(default: " + value + ")");
    }
    const std::string first = text.substr(0, text.find_first_of(" :,"));
    const std::vector<std::string> values = ChoicesOf(option).values;
    std::string sentence = Contains(values, first) ? text : Sentence(text);
    if (!sentence.empty() && sentence.back() != '.')
        sentence += '.';
    return Roff(sentence) + Roff(tail);
}

// A usage form after "deckrec": options, subcommands and literal values in bold, placeholders
// in italics, brackets, bars and ellipses as they are.
std::string FormInRoff(const std::string& form, const std::set<std::string>& subcommands)
{
    std::vector<std::string> words = Words(form);
    std::vector<std::string> out;
    for (size_t i = 1; i < words.size(); ++i) {
        std::string word = words[i];
        std::string before, after;
        while (!word.empty() && (word.front() == '[' || word.front() == '(')) {
            before += word.front();
            word.erase(0, 1);
        }
        while (!word.empty() && (word.back() == ']' || word.back() == ')')) {
            after.insert(0, 1, word.back());
            word.pop_back();
        }
        if (word.size() >= 3 && word.compare(word.size() - 3, 3, "...") == 0) {
            after.insert(0, "...");
            word.erase(word.size() - 3);
        }
        std::string core;
        if (word.empty() || word == "|")
            core = word;
        else if (word[0] == '-' || subcommands.count(word))
            core = Bold(word);
        else if (word == "options" || !IsLiteralValue(word))
            core = Italic(word);
        else
            core = Bold(word);
        out.push_back(before + core + after);
    }
    return Joined(out, " ");
}

// ---- what the help has no room for ------------------------------------------------------------

// What each usage form does, by the word after "deckrec"; a form whose help line says it
// itself needs none.
const std::map<std::string, std::string> kCommandTexts = {
    {"[DECK]", "Qt's own options (such as \\fB\\-platform\\fR, \\fB\\-display\\fR and \\fB\\-style\\fR) are "
               "passed on to the toolkit."},
    {"convert", "Plays \\fIDECK\\fR with Auto Record and writes every \\fIOUTPUT\\fR from the one recording; "
                "the format follows each output's extension."},
    {"export", "Writes new outputs from a recording kept with \\fB\\-\\-keep\\-recording\\fR, without "
               "recording again."},
    {"--help", "Prints the usage and every option (\\fBdeckrec batch \\-\\-help\\fR: the batch's), or the "
               "version, and exits."},
};

// Options that only the usage lines show, by name: their value and what they do.
struct FormOption {
    std::string value;
    std::string text;
};
const std::map<std::string, FormOption> kFormOptions = {
    {"-o", {"OUTPUT", "write OUTPUT, a " + OutputExtensionsText(".", ", ", " or ") + " file; given once for each output"}},
    {"--help", {"", "print the usage and every option, and exit"}},
    {"--version", {"", "print the version, and exit"}},
};

const char* const kEnvironment = R"(.TP
.B XDG_CACHE_HOME
Where Deckrec keeps its working folders and the slide shows it has made:
\fI$XDG_CACHE_HOME/deckrec/\fR.
Unset, or not an absolute path: \fI~/.cache\fR (\fBHOME\fR, or the home folder of the user's
account).
.TP
.B DECKREC_SHOW_CACHE_MB
How many megabytes (MiB) the stored slide shows may take; past it, the least recently used are
removed.
Default: 1024.
.TP
.B DISPLAY
The X display the windows and a conversion run on.
Unset or empty (a build server, a CI job), \fBconvert\fR starts a display of its own (Xvfb) and,
with \fB\-\-audio\fR, a sound server of its own, and stops them at the end;
\fB\-\-headless\fR does so even when it is set.
On a desktop display a second conversion waits for the first.
Each deck of a \fBbatch\fR runs on a display of its own.
.TP
.B PULSE_SERVER
The sound server that sound is recorded from, as for any PulseAudio client (PipeWire serves
these too).
.TP
.B QT_QPA_PLATFORM
The windows use \fBxcb\fR (X11, or XWayland under Wayland) unless this names another, or
\fBwayland\fR when only \fBWAYLAND_DISPLAY\fR is set (there they record with Exact timing only);
a conversion always uses \fBxcb\fR, since it captures the X screen.
.TP
.B QT_LOGGING_RULES
Which of the toolkit's messages show; a conversion hides the browser engine's start-up report
unless these rules show it.
.TP
.BR QTWEBENGINE_CHROMIUM_FLAGS ", " QT_QUICK_BACKEND ", " QT_ENABLE_HIGHDPI_SCALING
Unset, Deckrec sets them to what recording needs: \fB\-\-disable\-gpu \-\-disable\-dev\-shm\-usage\fR
(the GPU path draws black views on virtual X servers), \fBsoftware\fR, and \fB0\fR (the capture
area is measured in screen pixels).
Set, they are left as they are.
.TP
.B QTWEBENGINE_DISABLE_SANDBOX
Run as root, Deckrec sets it to \fB1\fR unless it is set: the browser engine's sandbox does not
run as root.
)";

// @DATA@ is the installed data folder.
const char* const kFiles = R"(.TP
.I $XDG_CACHE_HOME/deckrec/
A folder of its own for each run and each open window (its recording and generated page),
removed at the end.
What a killed run left is removed at the next start; the frames of a window that died while it
recorded are offered back when the windows next start.
.TP
.I $XDG_CACHE_HOME/deckrec/shows/
The slide shows LibreOffice made of the decks, named by a hash of each deck's content and shared
by every run and window; see \fBDECKREC_SHOW_CACHE_MB\fR.
.TP
.IR DIR /recording.json
What a recording kept with \fB\-\-keep\-recording\fR \fIDIR\fR holds beside its frames and sound:
its frame files, slides and notes, and whether it ended.
\fBexport\fR reads it; a recording cut short by a crash or Ctrl+C is exported as far as it got.
.TP
.IR OUTDIR /logs/ NAME .log
The log of each deck of a \fBbatch\fR.
.TP
.I @DATA@/
The page the show is played in, the sound format templates, and sample decks
(\fIsample/deckrec\-sample.fodp\fR).
)";

struct Example {
    std::string what;
    std::string command;
};
const std::vector<Example> kExamples = {
    {"A video and a GIF of a deck, a slide action every three seconds (no desktop needed):",
     "deckrec convert talk.pptx -o talk.mp4 -o talk.gif --latency 3000"},
    {"With the sound the computer plays, at 1280x720, keeping the recording:",
     "deckrec convert talk.odp -o talk.webm --audio --capture 1280x720 --keep-recording rec/"},
    {"A small grey GIF from the kept recording, without recording again:",
     "deckrec export rec/ -o small.gif --size 360x203 --colors gray"},
    {"The best GIF that fits 8 MB, and captions from the speaker notes:",
     "deckrec convert talk.pptx -o talk.gif --gif-max-size 8M -o talk.vtt"},
    {"Every deck of a folder, two at a time, each with a chapter list:",
     "deckrec batch talks/*.pptx -O videos/ --formats mp4,chapters -j 2"},
    {"The sample deck:", "deckrec convert @DATA@/sample/deckrec-sample.fodp -o sample.gif"},
};

const char* const kSeeAlso = R"(.BR libreoffice (1),
.BR Xvfb (1),
.BR ffmpeg (1),
.BR pulseaudio (1)
)";

const char* const kAbout =
    "Deckrec turns a slide presentation into a video (MP4, WebM, MKV or AVI) or an animated GIF. "
    "LibreOffice Impress makes a slide show of the deck; Deckrec plays it in an embedded browser, "
    "records it frame by frame together with the sound, and writes the recording out.";

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A command as typed, its lines continued with a backslash so that each fits an 80-column
// terminal beside the page's indentation.
std::string ExampleInRoff(const std::string& command)
{
    constexpr size_t kWidth = 64;
    // An option stays on one line with its value.
    std::vector<std::string> units;
    const std::vector<std::string> words = Words(command);
    for (size_t i = 0; i < words.size(); ++i) {
        units.push_back(words[i]);
        if (words[i][0] == '-' && i + 1 < words.size() && words[i + 1][0] != '-')
            units.back() += " " + words[++i];
    }
    std::vector<std::string> lines(1);
    for (const std::string& unit : units) {
        if (!lines.back().empty() && lines.back().size() + 1 + unit.size() > kWidth)
            lines.emplace_back("    ");
        if (!lines.back().empty() && lines.back().back() != ' ')
            lines.back() += ' ';
        lines.back() += unit;
    }
    std::vector<std::string> roff;
    for (const std::string& line : lines)
        roff.push_back(Bold(line));
    return Joined(roff, " \\e\n");
}

// ---- the manual page ---------------------------------------------------------------------------

struct Docs {
    HelpText main;
    HelpText batch;
    std::set<std::string> subcommands; // convert, export, batch
    std::string version;               // "1.0"
    std::string date;                  // "2026-12-08"
    std::string summary;
    std::string dataFolder;
};

const HelpText* OwnHelp(const Docs& docs, const std::string& subcommand)
{
    return subcommand == "batch" ? &docs.batch : nullptr;
}

// The page's section for a subcommand with a help of its own: "BATCH".
std::string SectionOf(const std::string& subcommand)
{
    std::string name = subcommand;
    for (char& ch : name)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return name;
}

std::string SecondWord(const std::string& form)
{
    const std::vector<std::string> words = Words(form);
    return words.size() > 1 ? words[1] : std::string();
}

// Every option of convert and export: the help's lists, then those only a usage line shows.
std::map<std::string, HelpOption> MainOptions(const Docs& docs)
{
    std::map<std::string, HelpOption> options;
    for (const HelpSection& section : docs.main.sections)
        for (const HelpOption& option : section.options)
            for (const std::string& name : option.names)
                options[name] = option;
    return options;
}

void WriteOption(std::ostream& out, const HelpOption& option)
{
    out << ".TP\n" << OptionTag(option) << "\n" << OptionDescription(option) << "\n";
}

std::string ManPage(const Docs& docs)
{
    std::ostringstream out;
    out << ".\\\" Made by make_cli_docs from deckrec --help and deckrec batch --help: edit those, not this.\n";
    out << ".TH DECKREC 1 " << docs.date << " \"Deckrec " << docs.version << "\" \"User Commands\"\n";
    // Option and file names must stay whole: no hyphenation, and a ragged right edge.
    out << ".nr HY 0\n.nh\n.ad l\n";
    out << ".SH NAME\ndeckrec \\- " << Roff(docs.summary) << "\n";

    out << ".SH SYNOPSIS\n";
    for (const UsageLine& line : docs.main.usage) {
        const HelpText* own = OwnHelp(docs, SubcommandOf(line));
        for (const UsageLine& form : own ? own->usage : std::vector<UsageLine>{line})
            out << ".SY deckrec\n" << FormInRoff(form.form, docs.subcommands) << "\n.YS\n";
    }

    out << ".SH DESCRIPTION\n" << kAbout << "\n";
    for (const std::string& paragraph : docs.main.intro)
        out << ".PP\n" << Roff(paragraph) << "\n";
    for (const std::string& paragraph : docs.main.outro)
        out << ".PP\n" << Roff(paragraph) << "\n";
    for (const std::string& note : docs.main.usageNotes)
        out << ".PP\n" << Roff(Sentence(note)) << "\n";

    out << ".SH COMMANDS\n";
    for (const UsageLine& line : docs.main.usage) {
        const std::string subcommand = SubcommandOf(line);
        const HelpText* own = OwnHelp(docs, subcommand);
        const auto text = kCommandTexts.find(SecondWord(line.form));
        std::string body;
        if (own && !own->intro.empty())
            body = Roff(own->intro.front()) + "\nSee \\fB" + SectionOf(subcommand) + "\\fR below.";
        else if (!line.note.empty())
            body = Roff(Sentence(line.note)) + (text != kCommandTexts.end() ? "\n" + text->second : "");
        else if (text != kCommandTexts.end())
            body = text->second;
        else
            throw Failure("no words for the usage line \"" + line.form + "\": add them to kCommandTexts");
        out << ".TP\n\\fBdeckrec\\fR " << FormInRoff(line.form, docs.subcommands) << "\n" << body << "\n";
    }

    out << ".SH OPTIONS\n";
    const std::map<std::string, HelpOption> listed = MainOptions(docs);
    std::vector<std::string> formOnly;
    for (const UsageLine& line : docs.main.usage)
        if (!OwnHelp(docs, SubcommandOf(line)))
            for (const std::string& name : OptionsInForm(line.form))
                if (!listed.count(name) && !Contains(formOnly, name))
                    formOnly.push_back(name);
    for (const std::string& name : formOnly) {
        const auto known = kFormOptions.find(name);
        if (known == kFormOptions.end())
            throw Failure("the usage shows " + name + ", which no option list describes: add it to kFormOptions");
        WriteOption(out, HelpOption{{name}, known->second.value, known->second.text});
    }
    for (const HelpSection& section : docs.main.sections) {
        if (!section.title.empty())
            out << ".SS \"" << Roff(section.title) << "\"\n";
        for (const HelpOption& option : section.options)
            WriteOption(out, option);
        for (const std::string& note : section.notes)
            out << ".PP\n" << Roff(note) << "\n";
    }

    for (const std::string& subcommand : docs.subcommands) {
        const HelpText* own = OwnHelp(docs, subcommand);
        if (!own)
            continue;
        out << ".SH " << SectionOf(subcommand) << "\n";
        for (size_t i = 1; i < own->intro.size(); ++i)
            out << ".PP\n" << Roff(own->intro[i]) << "\n";
        for (const HelpSection& section : own->sections) {
            out << ".SS \"" << Roff(section.title.empty() ? Capitalized(subcommand) + " options" : section.title) << "\"\n";
            for (const HelpOption& option : section.options)
                WriteOption(out, option);
            for (const std::string& note : section.notes)
                out << ".PP\n" << Roff(note) << "\n";
        }
        for (const std::string& paragraph : own->outro)
            out << ".PP\n" << Roff(paragraph) << "\n";
    }

    // One list of codes: what each means for convert and export, and for batch.
    out << ".SH EXIT STATUS\n";
    std::vector<std::string> plain;
    for (const UsageLine& line : docs.main.usage)
        if (!SubcommandOf(line).empty() && !OwnHelp(docs, SubcommandOf(line)))
            plain.push_back(Bold(SubcommandOf(line)));
    std::map<int, std::vector<std::string>> meanings;
    for (const ExitCode& code : docs.main.exitCodes)
        meanings[code.code].push_back(Joined(plain, " and ") + ": " + Roff(code.meaning) + ".");
    for (const std::string& subcommand : docs.subcommands)
        if (const HelpText* own = OwnHelp(docs, subcommand))
            for (const ExitCode& code : own->exitCodes)
                meanings[code.code].push_back(Bold(subcommand) + ": " + Roff(code.meaning) + ".");
    if (meanings.empty())
        throw Failure("the help gives no exit status");
    for (const auto& [code, texts] : meanings)
        out << ".TP\n.B " << code << "\n" << Joined(texts, "\n.br\n") << "\n";

    out << ".SH ENVIRONMENT\n" << kEnvironment;
    out << ".SH FILES\n" << Replaced(kFiles, "@DATA@", Roff(docs.dataFolder));
    out << ".SH EXAMPLES\n";
    for (const Example& example : kExamples)
        out << ".PP\n" << Roff(example.what) << "\n.PP\n.RS 4\n.nf\n"
            << ExampleInRoff(Replaced(example.command, "@DATA@", docs.dataFolder)) << "\n.fi\n.RE\n";
    out << ".SH SEE ALSO\n" << kSeeAlso;
    return out.str();
}

// The examples must run as written: each is parsed as the program would parse it.
void CheckExamples(const Docs& docs)
{
    for (const Example& example : kExamples) {
        std::vector<std::string> args = Words(Replaced(example.command, "@DATA@", docs.dataFolder));
        args.erase(args.begin());
        const std::string error = !args.empty() && args[0] == "batch"
                                      ? ParseBatchCommandLine({args.begin() + 1, args.end()}).error
                                      : ParseCommandLine(args).error;
        if (!error.empty())
            throw Failure("the example \"" + example.command + "\" is a usage error: " + error);
    }
}

// ---- the bash completion ----------------------------------------------------------------------

// What the word after an option is.
struct ValueKind {
    enum { None, Words, WordList, Decks, Outputs, Folders, Files } kind = None;
    std::vector<std::string> words;
};

ValueKind KindOfPlaceholder(const std::string& placeholder)
{
    ValueKind kind;
    std::string name = placeholder;
    while (!name.empty() && (name.back() == '.' || name.back() == ']'))
        name.pop_back();
    while (!name.empty() && name.front() == '[')
        name.erase(0, 1);
    if (name == "DECK")
        kind.kind = ValueKind::Decks;
    else if (name == "OUTPUT")
        kind.kind = ValueKind::Outputs;
    else if (name.size() >= 3 && name.compare(name.size() - 3, 3, "DIR") == 0)
        kind.kind = ValueKind::Folders;
    else if (name == "FILE")
        kind.kind = ValueKind::Files;
    return kind;
}

ValueKind KindOfOption(const HelpOption& option)
{
    const OptionChoices choices = ChoicesOf(option);
    if (!choices.values.empty()) {
        ValueKind kind;
        kind.kind = choices.commaSeparated ? ValueKind::WordList : ValueKind::Words;
        kind.words = choices.values;
        return kind;
    }
    return KindOfPlaceholder(option.value);
}

// Words go into the script between single quotes and into case patterns: keep them plain.
std::string ShellWords(const std::vector<std::string>& words)
{
    for (const std::string& word : words)
        if (word.empty() || word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._,+-") !=
                                std::string::npos)
            throw Failure("\"" + word + "\" cannot go into the completion as it is");
    return Joined(words, " ");
}

// "ppt|pptx|..." for _filedir, which adds the upper-case spellings itself.
std::string Extensions(const std::vector<std::string>& extensions)
{
    ShellWords(extensions);
    return Joined(extensions, "|");
}

std::string Completion(const Docs& docs)
{
    // Options by the command they belong to ("" for the windows), and what each one's value is.
    std::map<std::string, std::vector<std::string>> options;
    std::map<std::string, HelpOption> byName;
    auto add = [&](const std::string& command, const HelpOption& option) {
        for (const std::string& name : option.names) {
            if (!Contains(options[command], name))
                options[command].push_back(name);
            const auto known = byName.find(name);
            if (known != byName.end() && known->second.value.empty() != option.value.empty())
                throw Failure(name + " takes a value in one help and none in the other");
            if (known == byName.end() || known->second.value.empty())
                byName[name] = option;
        }
    };
    auto addForm = [&](const std::string& command, const std::string& form) {
        for (const std::string& name : OptionsInForm(form)) {
            if (byName.count(name)) {
                add(command, byName[name]);
                continue;
            }
            const auto known = kFormOptions.find(name);
            if (known == kFormOptions.end())
                throw Failure("the usage shows " + name + ", which no option list describes: add it to kFormOptions");
            add(command, HelpOption{{name}, known->second.value, known->second.text});
        }
    };

    std::vector<std::string> commands = {""};
    for (const UsageLine& line : docs.main.usage) {
        const std::string subcommand = SubcommandOf(line);
        if (!subcommand.empty() && !Contains(commands, subcommand))
            commands.push_back(subcommand);
    }
    for (const std::string& command : commands) {
        if (const HelpText* own = OwnHelp(docs, command)) {
            for (const HelpSection& section : own->sections)
                for (const HelpOption& option : section.options)
                    add(command, option);
            continue;
        }
        // A list titled "Recording (convert)" belongs to convert alone.
        for (const HelpSection& section : docs.main.sections) {
            const size_t open = section.title.find('(');
            const std::string only =
                open == std::string::npos ? "" : section.title.substr(open + 1, section.title.find(')') - open - 1);
            if (!command.empty() && (only.empty() || only == command))
                for (const HelpOption& option : section.options)
                    add(command, option);
        }
    }
    for (const UsageLine& line : docs.main.usage)
        if (!OwnHelp(docs, SubcommandOf(line)))
            addForm(SubcommandOf(line), line.form);
    for (const std::string& command : commands) {
        const HelpText* own = OwnHelp(docs, command);
        if (!own)
            continue;
        for (const UsageLine& line : own->usage)
            addForm(command, line.form);
        // "Every other option is convert's": those of the option table the batch does not refuse.
        for (const std::string& name : options["convert"]) {
            if (Contains(options[command], name))
                continue;
            const CommandOption* option = FindOption(name, kConvertCommand);
            if (option && option->batchRefusal.empty())
                add(command, byName[name]);
        }
    }
    for (const std::string& command : commands)
        if (!command.empty())
            addForm(command, "deckrec " + command + " --help");

    // What the positional words are: the first placeholder after the subcommand.
    std::map<std::string, ValueKind> names;
    for (const UsageLine& line : docs.main.usage) {
        const std::string subcommand = SubcommandOf(line);
        for (const std::string& word : Words(line.form))
            if (word != "deckrec" && word != subcommand && word[0] != '-' && !IsLiteralValue(word)) {
                names.emplace(subcommand, KindOfPlaceholder(word));
                break;
            }
    }

    const std::string decks = Extensions(DeckExtensions());
    const auto formatsOption = byName.find("--formats");
    const std::vector<std::string> formats =
        formatsOption == byName.end() ? std::vector<std::string>() : ChoicesOf(formatsOption->second).values;
    if (formats.empty())
        throw Failure("the batch's --formats lists no formats: the outputs' extensions come from it");
    const std::string outputs = Extensions(formats);

    auto action = [&](const ValueKind& kind) -> std::string {
        switch (kind.kind) {
        case ValueKind::Words:
            return "COMPREPLY=($(compgen -W '" + ShellWords(kind.words) + "' -- \"$cur\"))";
        case ValueKind::WordList:
            return "_deckrec_list '" + ShellWords(kind.words) + "'";
        case ValueKind::Decks:
            return "_filedir '" + decks + "'";
        case ValueKind::Outputs:
            return "_filedir '" + outputs + "'";
        case ValueKind::Folders:
            return "_filedir -d";
        case ValueKind::Files:
            return "_filedir";
        case ValueKind::None:
            break;
        }
        return "# a number, a size or a name of its own: nothing to offer";
    };

    std::ostringstream out;
    out << "# bash completion for deckrec(1): made by make_cli_docs from deckrec --help and deckrec batch\n"
           "# --help; edit those, not this.\n\n";
    out << "# A comma-separated list: completes the word after the last comma.\n"
           "_deckrec_list()\n{\n"
           "    local chosen=\n"
           "    [[ $cur == *,* ]] && chosen=${cur%,*},\n"
           "    COMPREPLY=($(compgen -P \"$chosen\" -W \"$1\" -- \"${cur##*,}\"))\n"
           "    compopt -o nospace\n}\n\n";
    out << "# The deck, recording folder or other name a command takes.\n"
           "_deckrec_name()\n{\n    case $1 in\n";
    for (const auto& [command, kind] : names)
        out << "        " << (command.empty() ? "''" : command) << ") " << action(kind) << " ;;\n";
    out << "    esac\n}\n\n";

    out << "_deckrec()\n{\n"
           "    local cur prev words cword split\n"
           "    _init_completion -s || return\n\n"
           "    local command= i\n"
           "    case ${words[1]-} in\n"
           "        " << Joined({commands.begin() + 1, commands.end()}, " | ") << ") ((cword > 1)) && command=${words[1]} ;;\n";
    out << "    esac\n"
           "    # After --, every word is a name.\n"
           "    for ((i = 1; i < cword; i++)); do\n"
           "        if [[ ${words[i]} == -- ]]; then\n"
           "            _deckrec_name \"$command\"\n"
           "            return\n"
           "        fi\n"
           "    done\n\n"
           "    case $prev in\n";
    // Options that take a value, grouped by what the value is.
    std::map<std::string, std::vector<std::string>> byAction;
    for (const auto& [name, option] : byName)
        if (!option.value.empty())
            byAction[action(KindOfOption(option))].push_back(name);
    for (const auto& [what, names] : byAction)
        out << "        " << Joined(names, " | ") << ")\n            " << what << "\n            return\n            ;;\n";
    out << "    esac\n"
           "    $split && return\n\n"
           "    if [[ $cur == -* ]]; then\n"
           "        local options\n"
           "        case $command in\n";
    for (const std::string& command : commands)
        out << "            " << (command.empty() ? "''" : command) << ") options='" << ShellWords(options[command])
            << "' ;;\n";
    out << "        esac\n"
           "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n\n"
           "    _deckrec_name \"$command\"\n"
           "    if [[ -z $command ]] && ((cword == 1)); then\n"
           "        COMPREPLY+=($(compgen -W '" << ShellWords({commands.begin() + 1, commands.end()}) << "' -- \"$cur\"))\n"
           "    fi\n"
           "} &&\n"
           "    complete -F _deckrec deckrec\n";
    return out.str();
}

// ---- the changelog ---------------------------------------------------------------------------

// The top entry of a Debian changelog: its version must be this program's, and its date is
// the page's.
void ReadChangelog(const std::string& path, Docs& docs)
{
    std::ifstream in(path);
    std::string first, line, trailer;
    if (!std::getline(in, first))
        throw Failure("cannot read " + path);
    while (std::getline(in, line))
        if (line.rfind(" -- ", 0) == 0) {
            trailer = line;
            break;
        }
    const size_t open = first.find(" ("), close = first.find(')');
    if (open == std::string::npos || close == std::string::npos || trailer.empty())
        throw Failure(path + " does not start with a changelog entry");
    const std::string version = first.substr(open + 2, close - open - 2);
    if (version.substr(0, version.rfind('-')) != docs.version)
        throw Failure(path + "'s last entry is for " + version + ", the program is " + docs.version +
                      ": add an entry for this version");
    // " -- Name <mail>  Tue, 08 Dec 2026 03:40:00 +0000"
    const std::vector<std::string> words = Words(trailer.substr(trailer.find(">  ") + 3));
    static const std::vector<std::string> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto month = words.size() >= 4 ? std::find(months.begin(), months.end(), words[2]) : months.end();
    if (month == months.end())
        throw Failure("no date in \"" + trailer + "\"");
    char date[16];
    std::snprintf(date, sizeof date, "%s-%02d-%02d", words[3].c_str(), static_cast<int>(month - months.begin()) + 1,
                  std::stoi(words[1]));
    docs.date = date;
}

void Write(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush())
        throw Failure("cannot write " + path);
}

} // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> args;
    for (int i = 1; i + 1 < argc; i += 2)
        args[argv[i]] = argv[i + 1];
    for (const char* needed : {"--changelog", "--summary", "--data-folder", "--manpage", "--completion"})
        if (!args.count(needed) || argc % 2 == 0) {
            std::fprintf(stderr,
                         "usage: %s --changelog FILE --summary TEXT --data-folder DIR --manpage OUT --completion OUT\n",
                         argv[0]);
            return 2;
        }
    try {
        Docs docs;
        docs.main = ParseHelpText(UsageText());
        docs.batch = ParseHelpText(BatchUsageText());
        for (const UsageLine& line : docs.main.usage)
            if (!SubcommandOf(line).empty())
                docs.subcommands.insert(SubcommandOf(line));
        docs.version = Words(VersionText()).back();
        docs.summary = args["--summary"];
        docs.dataFolder = args["--data-folder"];
        ReadChangelog(args["--changelog"], docs);
        CheckExamples(docs);
        Write(args["--manpage"], ManPage(docs));
        Write(args["--completion"], Completion(docs));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_cli_docs: %s\n", e.what());
        return 1;
    }
    return 0;
}
