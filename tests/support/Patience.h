#pragma once

// How long a test waits for something that takes real time (a child process, libVLC, a keyring).
// The sanitized build (NORVANE_SANITIZE, ./scripts/test --sanitize) runs every program several
// times slower, libVLC and Qt included: its allocator records a full stack for every allocation.
// Waits scale here and nowhere else, so a test keeps one figure for both builds.

namespace norvane::test {

#ifdef NORVANE_TEST_SANITIZED
inline constexpr bool sanitized = true;
#else
inline constexpr bool sanitized = false;
#endif

// `ms` as written on the normal build; eight times as long under the sanitizers, where libVLC
// winding a failed player down took 39-49 s on the shared machine against a 10 s limit (under 1 s
// on the normal build).
constexpr int patience(int ms)
{
    return sanitized ? 8 * ms : ms;
}

} // namespace norvane::test
