#include "digest/in_flight_probe.h"

#include <algorithm>

namespace {

// What a disk reads in the time of a seek, about: a completion counts as one seek's work plus its
// bytes in such units, so that windows of small files and of long reads compare.
constexpr double kBytesLikeASeek = 1024.0 * 1024.0;
// A trial is kept when it delivers this much more: a rotating disk gains little from more reads
// of nearby places, storage of many channels several times as much.
constexpr double kWorthTheStep = 1.15;
// After a step that did not pay, windows at the proven count before the next trial.
constexpr int kPatience = 8;
// A window ends after this many completions per read in flight, and never fewer than the least.
constexpr int kCompletionsPerRead = 2;
constexpr int kLeastCompletions = 8;
// And never before this time: shorter windows measure the machine's other work more than the
// storage. A few of a rotating disk's seeks.
constexpr auto kLeastWindow = std::chrono::milliseconds(40);
// The share of claims that filled the limit for a window to count: below it the reads waited for
// the hashing or for files, and their pace tells nothing of the storage.
constexpr double kBusyShare = 0.75;

}  // namespace

InFlightProbe::InFlightProbe(int least, int most)
    : least_(std::max(least, 1)), most_(std::max(most, least_)), limit_(least_), proven_(least_) {}

void InFlightProbe::Claimed(bool atLimit) {
    ++claims_;
    if (atLimit)
        ++fullClaims_;
}

void InFlightProbe::Completed(std::size_t bytes, Clock::time_point now) {
    if (!measuring_) {
        measuring_ = true;
        began_ = now;
        completions_ = 0;
        work_ = 0;
        claims_ = 0;
        fullClaims_ = 0;
        return;
    }
    ++completions_;
    work_ += 1.0 + static_cast<double>(bytes) / kBytesLikeASeek;
    if (completions_ < std::max(kLeastCompletions, kCompletionsPerRead * limit_) ||
        now - began_ < kLeastWindow) {
        return;
    }
    const double seconds = std::chrono::duration<double>(now - began_).count();
    const bool busy = claims_ > 0 && fullClaims_ >= kBusyShare * claims_;
    measuring_ = false;
    if (seconds > 0)
        Judge(work_ / seconds, busy);
}

void InFlightProbe::Judge(double rate, bool busy) {
    if (trying_) {
        trying_ = false;
        if (busy && rate >= kWorthTheStep * provenRate_) {
            proven_ = limit_;
            provenRate_ = rate;
        } else {
            // No gain, or the step was never filled: back to the proven count for a while.
            limit_ = proven_;
            windowsToWait_ = kPatience;
            return;
        }
    } else {
        if (!busy)
            return;
        provenRate_ = rate;
        if (windowsToWait_ > 0) {
            --windowsToWait_;
            return;
        }
    }
    if (limit_ < most_) {
        limit_ = most_;
        trying_ = true;
    }
}
