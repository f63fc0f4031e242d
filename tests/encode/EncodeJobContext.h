#pragma once
// The engine tests' job context, plus what the encoder tests look at: the encoder kind
// answered per read, a stop that comes on a chosen check, and the failure report.

#include <deque>
#include <string>
#include <vector>

#include "tests/jobs/FakeJobContext.h"

class EncodeJobContext : public FakeJobContext {
  public:
    std::deque<int> kindsPerRead;  ///< answered in turn, then encoderKind
    int destroyOnCheck = -1;       ///< TestDestroy turns true on this check (1-based)
    int destroyChecks = 0;

    std::vector<int> EncodingGauge() const {
        std::vector<int> values;
        for (const auto& [gauge, value] : gauges)
            if (gauge == Gauge::Encoding) values.push_back(value);
        return values;
    }

    std::optional<EncoderKind> EncoderChoice() override {
        if (kindsPerRead.empty()) return model::EncoderKindOf(encoderKind);
        const int next = kindsPerRead.front();
        kindsPerRead.pop_front();
        return model::EncoderKindOf(next);
    }
    bool TestDestroy() override {
        destroy = destroy || ++destroyChecks == destroyOnCheck;
        return destroy;
    }
    void EncodingFailed(const std::string& command, const std::string& reason) override {
        events.push_back("encoding failed:" + command + "|" + reason);
    }
};
