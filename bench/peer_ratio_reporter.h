// Console output of a benchmark run followed by the speed ratio of every "<Name>_Ours"
// benchmark to its "<Name>_<Peer>" twin in the same run (CPU time; with repetitions,
// the medians).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

class PeerRatioReporter : public benchmark::ConsoleReporter {
public:
    explicit PeerRatioReporter(std::string peer) : peer_(std::move(peer)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median")
                times_[r.run_name.function_name] = r.GetAdjustedCPUTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [name, ours] : times_) {
            const size_t at = name.find("_Ours");
            if (at == std::string::npos) continue;
            const auto peer = times_.find(name.substr(0, at) + "_" + peer_);
            if (peer != times_.end() && ours > 0)
                std::printf("%-24s %.2fx %s's speed\n", name.substr(3, at - 3).c_str(), peer->second / ours,
                            peer_.c_str());
        }
    }

private:
    std::string peer_;
    std::map<std::string, double> times_;
};
