// Keeps what libraries write to standard error while it lives from reaching ours.
#pragma once

class StderrSilencer {
  public:
    StderrSilencer();
    ~StderrSilencer();
    StderrSilencer(const StderrSilencer &) = delete;
    StderrSilencer &operator=(const StderrSilencer &) = delete;

  private:
    int savedStderr_;
};
