#pragma once

// How the process's heap hands freed memory back to the system.
class ProcessMemory
{
public:
    // Call first thing in main(), before any thread starts. glibc raises its trim threshold to
    // twice the largest block it has unmapped (a video frame, a poster), and malloc_trim never
    // shrinks the top of another thread's arena: every channel change then left the freed
    // buffers of libVLC's decoder threads resident, some 50-70 MB over a few hundred changes.
    // glibc's own starting thresholds, fixed, return a free top above 128 KiB at once and keep
    // blocks of 128 KiB and more mapped on their own, so they go back when freed.
    static void returnFreedPromptly();

    static constexpr int thresholdBytes = 128 * 1024;
};
