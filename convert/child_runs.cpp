#include "convert/child_runs.h"

#include <algorithm>
#include <chrono>

#include "convert/child_process.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Running {
    size_t run = 0;
    ChildProcess process;
    Clock::time_point started;
    bool timed_out = false;
};

class ChildPool {
   public:
    ChildPool(const std::vector<std::vector<std::string>>& runs, const ChildRunSettings& settings,
              const std::function<void(size_t)>& started,
              const std::function<void(size_t, const ChildEnd&)>& ended)
        : runs_(runs),
          settings_(settings),
          started_(started),
          ended_(ended),
          parallel_(std::max<size_t>(settings.parallel, 1)),
          system_(settings.environment) {}

    void Run(const std::function<void()>& tick) {
        if (!system_.why().empty()) return Abandon(system_.why());
        while (next_ < runs_.size() || !running_.empty()) {
            if (settings_.stop_requested()) return StopAll();
            StartWhatFits();
            if (running_.empty()) continue;
            std::vector<ChildProcess*> children;
            for (Running& child : running_) children.push_back(&child.process);
            std::string why;
            const bool waited = system_.Wait(children, why);
            // Before the ends are looked at: children ended by the same
            // Ctrl-C are interrupted, not failed.
            if (settings_.stop_requested()) return StopAll();
            if (!waited) return Abandon("not started: " + why);
            CollectEnded();
            StopLateChildren();
            tick();
        }
    }

   private:
    void StartWhatFits() {
        while (!waiting_for_room_ && running_.size() < parallel_ && next_ < runs_.size()) {
            Running child;
            child.run = next_;
            std::string why;
            const Start start = system_.Spawn(runs_[child.run], child.process, why);
            if (start == Start::kNoRoom && !running_.empty()) {
                // Tried again once a child has ended and given its room back.
                waiting_for_room_ = true;
                return;
            }
            ++next_;
            started_(child.run);
            if (start != Start::kStarted) {
                ChildEnd end;
                end.spawn_error = why;
                ended_(child.run, end);
                continue;
            }
            child.started = Clock::now();
            running_.push_back(std::move(child));
        }
    }

    void CollectEnded() {
        for (size_t i = running_.size(); i-- > 0;) {
            if (!running_[i].process.ended) continue;
            const ChildEnd end = Reap(running_[i]);
            const size_t run = running_[i].run;
            running_.erase(running_.begin() + std::ptrdiff_t(i));
            waiting_for_room_ = false;
            ended_(run, end);
        }
    }

    void StopLateChildren() {
        if (settings_.timeout_seconds <= 0) return;
        const auto limit = std::chrono::duration<double>(settings_.timeout_seconds);
        for (Running& child : running_) {
            if (!child.timed_out && Clock::now() - child.started > limit) {
                system_.Stop(child.process);
                child.timed_out = true;
            }
        }
    }

    ChildEnd Reap(Running& child) {
        ChildEnd end = system_.Reap(child.process);
        end.timed_out = child.timed_out;
        return end;
    }

    // Stops every child, then tells each end: the temporaries of a child
    // are final once it has been reaped. One that exited on its own before
    // the stop keeps its own end.
    void StopAll() {
        for (Running& child : running_) system_.Stop(child.process);
        for (Running& child : running_) {
            ChildEnd end = Reap(child);
            end.interrupted = ChildSystem::EndedByStop(end) && !end.timed_out;
            ended_(child.run, end);
        }
        running_.clear();
        for (; next_ < runs_.size(); ++next_) {
            ChildEnd end;
            end.interrupted = true;
            ended_(next_, end);
        }
    }

    // Nothing can be waited for any more: the children still running are
    // stopped and told as failed, the ones not started as not started.
    void Abandon(const std::string& why) {
        for (Running& child : running_) {
            system_.Stop(child.process);
            ended_(child.run, Reap(child));
        }
        running_.clear();
        for (; next_ < runs_.size(); ++next_) {
            ChildEnd end;
            end.spawn_error = why;
            ended_(next_, end);
        }
    }

    const std::vector<std::vector<std::string>>& runs_;
    const ChildRunSettings& settings_;
    const std::function<void(size_t)>& started_;
    const std::function<void(size_t, const ChildEnd&)>& ended_;
    const size_t parallel_;
    ChildSystem system_;
    std::vector<Running> running_;
    size_t next_ = 0;
    bool waiting_for_room_ = false;
};

}  // namespace

void RunChildren(const std::vector<std::vector<std::string>>& runs,
                 const ChildRunSettings& settings, const std::function<void(size_t)>& started,
                 const std::function<void(size_t, const ChildEnd&)>& ended,
                 const std::function<void()>& tick) {
    ChildPool(runs, settings, started, ended).Run(tick);
}
