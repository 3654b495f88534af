// How many reads to keep in flight on storage that says it seeks. A rotating disk wants few: more
// only make its head move between them. But storage that says it rotates may not (a virtual disk
// often does, over storage that serves dozens of reads at once), so the count is measured as the
// reads go: the probe begins with few, tries the most for a while (a step large enough that its
// gain shows above the noise of a busy machine, and files enough at once to fill the lanes of
// the MD5 engine), keeps them where the reads then deliver markedly more, and otherwise goes
// back and tries again later.
#pragma once

#include <chrono>
#include <cstddef>

class InFlightProbe {
  public:
    using Clock = std::chrono::steady_clock;

    InFlightProbe(int least, int most);

    int Limit() const { return limit_; }
    // A reader claimed what it could; `atLimit` when the limit, rather than the memory bound or
    // the files at hand, stopped it. The measure counts only while the limit sets the pace.
    void Claimed(bool atLimit);
    // A read of `bytes` completed. Opens are left out: they cost the storage little beside the
    // reads, and would make windows of opens look faster than windows of reads.
    void Completed(std::size_t bytes, Clock::time_point now);

  private:
    void Judge(double rate, bool busy);

    const int least_;
    const int most_;
    int limit_;
    int proven_;  // the count whose rate is known
    double provenRate_ = 0;
    bool trying_ = false;  // the limit is the most, on trial
    int windowsToWait_ = 0;
    // The window being measured.
    bool measuring_ = false;
    Clock::time_point began_;
    int completions_ = 0;
    double work_ = 0;
    int claims_ = 0;
    int fullClaims_ = 0;
};
