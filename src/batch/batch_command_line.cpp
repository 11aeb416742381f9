// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_command_line.h"

#include "batch/batch_plan.h"
#include "core/command_options.h"
#include "core/output_formats.h"
#include "core/text_files.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

class BatchParser {
public:
    BatchParser(const std::vector<std::string>& args, const ConversionCheck& check) : args_(args), check_(check) {}

    ParsedBatch Run()
    {
        ParsedBatch parsed;
        BatchOptions& o = parsed.options;
        const ReadArguments read = ReadCommandArguments(args_, kBatchCommand);
        for (const ReadArgument& argument : read.arguments) {
            if (!error_.empty())
                break;
            if (!argument.option)
                o.decks.push_back(argument.given);
            else if (argument.option->commands & kBatchCommand)
                Option(o, argument.option->name, argument.value);
            else if (argument.option->inBatch == InBatch::PassedOn)
                PassOn(o, argument);
        }
        // The reader stops at its error: every argument it read came before it.
        Fail(read.error);
        if (error_.empty() && !o.help)
            Check(o);
        parsed.error = error_;
        return parsed;
    }

private:
    void Option(BatchOptions& o, const std::string& name, const std::string& value)
    {
        if (name == "--help")
            o.help = true;
        else if (name == "--output-dir")
            o.outputFolder = value;
        else if (name == "--list")
            o.listFile = value;
        else if (name == "--formats")
            Formats(o, value);
        else if (name == "--jobs")
            o.workers = std::stoi(value);
        else if (name == "--force")
            o.force = true;
        else if (name == "--progress")
            o.json = value == "json";
        else if (name == "--deck-timeout")
            o.deckTimeoutSeconds = std::stoi(value);
        else if (name == "--only")
            o.only = std::stoi(value);
        else if (name == "--quiet")
            o.quiet = true;
    }

    // A conversion option: checked by convert's own rules below, passed on as given, its
    // value with it.
    static void PassOn(BatchOptions& o, const ReadArgument& argument)
    {
        o.convertOptions.push_back(argument.given);
        if (argument.option->value != OptionValue::None)
            o.convertOptions.push_back(argument.value);
    }

    void Formats(BatchOptions& o, const std::string& text)
    {
        o.formats.clear();
        std::stringstream list(text);
        std::string format;
        while (std::getline(list, format, ',')) {
            format = Trimmed(format);
            std::transform(format.begin(), format.end(), format.begin(), [](unsigned char ch) { return std::tolower(ch); });
            if (!format.empty() && format.front() == '.')
                format.erase(0, 1);
            if (format == "chapters")
                format = "chapters.txt";
            const std::optional<OutputFormat> known = OutputFormatOf("x." + format);
            if ((!known || known->extension != format) && error_.empty())
                return Fail("--formats takes a list of " + OutputExtensionsText("", ", ", " and ") + ", not \"" + text +
                            "\"");
            if (std::find(o.formats.begin(), o.formats.end(), format) == o.formats.end())
                o.formats.push_back(format);
        }
        if (o.formats.empty())
            Fail("--formats needs at least one format");
    }

    void Check(BatchOptions& o)
    {
        if (o.outputFolder.empty())
            return Fail("name the output folder with -O OUTDIR");
        if (o.outputFolder.back() != '/')
            o.outputFolder += '/';
        if (!o.listFile.empty()) {
            std::string error;
            if (!ReadDeckList(o.listFile, o.decks, error))
                return Fail(error);
        }
        if (o.decks.empty())
            return Fail("name the decks to convert, or a list file with --list");
        if (o.only && *o.only > static_cast<int>(o.decks.size()))
            return Fail("--only " + std::to_string(*o.only) + ": the batch has " + std::to_string(o.decks.size()) +
                        " decks");
        if (!check_)
            return;
        // convert's own rules on the passed options, with a deck and outputs of each format.
        std::vector<std::string> convert = {"convert", "deck.fodp"};
        for (const std::string& format : o.formats) {
            convert.push_back("-o");
            convert.push_back("out." + format);
        }
        convert.insert(convert.end(), o.convertOptions.begin(), o.convertOptions.end());
        Fail(check_(convert));
    }

    void Fail(const std::string& message)
    {
        if (error_.empty())
            error_ = message;
    }

    const std::vector<std::string>& args_;
    const ConversionCheck& check_;
    std::string error_;
};

} // namespace

ParsedBatch ParseBatchCommandLine(const std::vector<std::string>& args, const ConversionCheck& check)
{
    return BatchParser(args, check).Run();
}

std::string BatchUsageText()
{
    return std::string(R"(Usage:
  deckrec batch DECK... -O OUTDIR [--formats mp4,gif] [options]
  deckrec batch --list FILE -O OUTDIR [--formats mp4,gif] [options]

Converts many decks, each by a conversion of its own (deckrec convert, on a display of its
own), several at once. A deck that fails, crashes or hangs is reported and the others go on.

)" + OptionHelpLines(HelpGroup::Batch) + R"(  Every other option is convert's (deckrec --help) and applies to every deck, e.g.
  --latency 3000 --size 360x203 --fps 10 --allow-remote-content.

Outputs are OUTDIR/NAME.FORMAT, NAME being the deck's file name without its extension; when
decks of one NAME come from different folders, each is named NAME-XXXXXXXX instead (eight hex
digits of a hash of its full path), whatever the other decks of a run. A deck whose outputs all
exist and are newer than the deck is skipped, so a batch run again goes on where it stopped;
an output is written beside its target and renamed only when complete.

Exit status: 0 every deck converted or up to date, 1 a deck failed, 2 a usage error,
130 interrupted (every conversion is stopped, with its display and LibreOffice).
)");
}
