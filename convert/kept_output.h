// What a child wrote on standard error, kept within bounds: a child that
// writes megabytes of messages must not make the parent hold them. The
// start (warnings come first) and the end (the reason a run failed comes
// last) are kept.
#pragma once

#include <cstddef>
#include <string>

class KeptOutput {
   public:
    void Add(const char* bytes, size_t count);
    // The start and the end, with a line marking what was cut between them.
    std::string Text() const;

   private:
    std::string head_, tail_;
    bool cut_ = false;
};
