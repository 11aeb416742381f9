// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_command.h"

#include "batch/batch_plan.h"
#include "batch/batch_report.h"
#include "batch/conversion_events.h"
#include "core/exit_status.h"
#include "core/file_replacement.h"
#include "core/owner_mark.h"
#include "core/private_working_directory.h"
#include "platform/child_process.h"
#include "platform/interruption.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// How long a conversion asked to stop may take to stop its display and LibreOffice itself
// before it and everything it started are killed.
constexpr auto kStopGrace = std::chrono::seconds(10);

// The environment entry every process of one deck's conversion inherits.
std::string NewMark()
{
    static int counter = 0;
    return "DECKREC_BATCH_WORKER=" + OwnMark() + "-" + std::to_string(++counter);
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string ThisProgram(const char* argv0)
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(argv0) : self.string();
}

void AppendToLog(const std::string& log, const std::string& line)
{
    std::ofstream(log, std::ios::app) << "deckrec batch: " << line << "\n";
}

struct Running {
    const BatchDeck* deck = nullptr;
    ChildProcess worker;
    std::ifstream log;
    std::string partial;       // a log line not yet ended
    std::string lastError;
    std::string lastStatus;
    std::vector<std::string> written;
    std::string stopReason;    // why the batch stopped it, when it did
};

class Batch {
public:
    Batch(const BatchOptions& options, std::vector<BatchDeck> decks, const char* argv0)
        : options_(options)
        , decks_(std::move(decks))
        , program_(ThisProgram(argv0))
        , report_(options.json, options.quiet, static_cast<int>(decks_.size()))
    {
    }

    int Run()
    {
        const auto start = Clock::now();
        std::deque<const BatchDeck*> pending;
        for (const BatchDeck& deck : decks_) {
            if (!deck.problem.empty()) {
                std::ofstream(deck.log, std::ios::trunc) << "deckrec batch: cannot convert " << deck.path << ": "
                                                        << deck.problem << "\n";
                report_.Failed(deck, deck.problem, 0);
            } else if (!options_.force && OutputsUpToDate(deck)) {
                report_.Skipped(deck);
            } else {
                pending.push_back(&deck);
            }
        }
        const int workers = options_.workers > 0 ? options_.workers : DefaultWorkerCount();
        bool stopping = false;
        while (!running_.empty() || (!pending.empty() && !stopping)) {
            while (!stopping && !pending.empty() && static_cast<int>(running_.size()) < workers) {
                StartDeck(*pending.front());
                pending.pop_front();
            }
            pollfd wake{InterruptionDescriptor(), POLLIN, 0};
            poll(&wake, wake.fd >= 0 ? 1 : 0, 250);
            if (Interrupted() && !stopping) {
                stopping = true;
                for (Running& run : running_)
                    Stop(run, "interrupted");
            }
            for (auto it = running_.begin(); it != running_.end();) {
                ReadLog(*it);
                if (Watch(*it))
                    it = running_.erase(it);
                else
                    ++it;
            }
        }
        // What killed conversions left in the cache.
        RemoveWorkingDirectoriesOfEndedRuns();
        const bool interrupted = Interrupted();
        report_.Summary(interrupted, SecondsSince(start));
        if (interrupted)
            return kExitInterrupted;
        return report_.counts().failed > 0 ? kExitFailure : kExitSuccess;
    }

private:
    void StartDeck(const BatchDeck& deck)
    {
        std::vector<std::string> args = {program_};
        const std::vector<std::string> conversion = ConversionArguments(deck, options_);
        args.insert(args.end(), conversion.begin(), conversion.end());
        running_.emplace_back();
        Running& run = running_.back();
        run.deck = &deck;
        report_.Started(deck);
        std::string error;
        // A process group of its own: Ctrl+C at the terminal reaches only the batch, which
        // stops its conversions in order.
        if (!run.worker.Start(args, {}, -1, deck.log, error, ChildOptions{.ownSession = false, .mark = NewMark()})) {
            report_.Failed(deck, error, 0);
            running_.pop_back();
            return;
        }
        run.log.open(deck.log, std::ios::binary);
    }

    void Stop(Running& run, const std::string& reason)
    {
        if (run.stopReason.empty())
            run.stopReason = reason;
        run.worker.AskToStop();
    }

    // New lines of the conversion's log: its events (progress, finished outputs, why it
    // failed) and the errors it wrote on stderr.
    void ReadLog(Running& run)
    {
        if (!run.log.is_open())
            return;
        char buffer[4096];
        std::string status;
        int percent = -1;
        for (;;) {
            run.log.read(buffer, sizeof buffer);
            const std::streamsize got = run.log.gcount();
            if (got <= 0)
                break;
            run.partial.append(buffer, static_cast<size_t>(got));
        }
        run.log.clear(); // at the end for now; more may come
        size_t end;
        while ((end = run.partial.find('\n')) != std::string::npos) {
            const std::string line = run.partial.substr(0, end);
            run.partial.erase(0, end + 1);
            if (const std::string error = ErrorOfLogLine(line); !error.empty())
                run.lastError = error;
            const std::optional<ConversionEvent> event = ReadConversionEvent(line);
            if (!event)
                continue;
            if (event->event == "progress") {
                status = event->status;
                percent = event->percent;
            } else if (event->event == "output") {
                Written(run, event->path);
            } else if (event->event == "failed" && !event->reason.empty()) {
                run.lastError = event->reason;
            }
        }
        if (!status.empty() && status != run.lastStatus) {
            run.lastStatus = status;
            report_.Progress(*run.deck, status, percent);
        }
    }

    void Written(Running& run, const std::string& output)
    {
        if (std::find(run.written.begin(), run.written.end(), output) != run.written.end())
            return;
        run.written.push_back(output);
        std::error_code ec;
        const auto bytes = fs::file_size(output, ec);
        report_.Output(*run.deck, output, ec ? -1 : static_cast<long long>(bytes));
    }

    // True when the conversion has ended and is reported.
    bool Watch(Running& run)
    {
        int status = 0;
        if (!run.worker.Ended(status)) {
            const double seconds = SecondsSince(run.worker.startedAt());
            if (options_.deckTimeoutSeconds > 0 && seconds > options_.deckTimeoutSeconds)
                Stop(run, "did not finish within " + std::to_string(options_.deckTimeoutSeconds) +
                              " s (--deck-timeout) and was stopped");
            if (run.worker.AskedToStop() && Clock::now() - run.worker.stopAskedAt() > kStopGrace)
                run.worker.Kill();
            else
                return false;
            status = W_EXITCODE(0, SIGKILL);
        }
        ReadLog(run);
        // Whatever the conversion started and left running (a display, LibreOffice) goes now.
        run.worker.KillLeftovers();
        const BatchDeck& deck = *run.deck;
        const double seconds = SecondsSince(run.worker.startedAt());
        bool complete = WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.stopReason.empty();
        for (const std::string& output : deck.outputs) {
            std::error_code ec;
            if (!fs::exists(output, ec))
                complete = false;
        }
        if (complete) {
            for (const std::string& output : deck.outputs)
                Written(run, output);
            report_.Done(deck, seconds);
            return true;
        }
        // A killed conversion may leave its part files beside the outputs.
        for (const std::string& output : deck.outputs)
            RemovePartsOfEndedRuns(output);
        std::string reason = run.stopReason;
        if (reason.empty()) {
            if (WIFSIGNALED(status))
                reason = WaitStatusText(status) + (run.lastError.empty() ? "" : " after: " + run.lastError);
            else if (!run.lastError.empty())
                reason = run.lastError;
            else if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                reason = "an output is missing";
            else
                reason = WaitStatusText(status) + "; see its log";
        }
        AppendToLog(deck.log, "failed: " + reason);
        report_.Failed(deck, reason, seconds);
        return true;
    }

    const BatchOptions& options_;
    std::vector<BatchDeck> decks_;
    std::string program_;
    BatchReport report_;
    std::list<Running> running_;
};

} // namespace

int RunBatch(const std::vector<std::string>& args, const char* program, const ConversionCheck& check)
{
    ParsedBatch parsed = ParseBatchCommandLine(args, check);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "deckrec batch: %s\n\nSee deckrec batch --help for the options.\n", parsed.error.c_str());
        return kExitUsage;
    }
    BatchOptions& options = parsed.options;
    if (options.help) {
        std::fputs(BatchUsageText().c_str(), stdout);
        return kExitSuccess;
    }
    CatchInterruptions();
    RemoveWorkingDirectoriesOfEndedRuns();
    std::error_code ec;
    fs::create_directories(options.outputFolder + "logs", ec);
    if (ec) {
        std::fprintf(stderr, "deckrec batch: cannot create %slogs: %s\n", options.outputFolder.c_str(),
                     ec.message().c_str());
        return kExitFailure;
    }
    std::vector<BatchDeck> decks = PlanBatch(options);
    if (options.only) {
        // One entry of the list (a job array's task): named as in the whole batch.
        const std::string wanted = fs::absolute(options.decks[static_cast<size_t>(*options.only - 1)], ec)
                                       .lexically_normal()
                                       .string();
        std::vector<BatchDeck> one;
        for (BatchDeck& deck : decks)
            if (deck.path == wanted)
                one.push_back(deck);
        decks = one;
    }
    return Batch(options, std::move(decks), program).Run();
}
