#pragma once

// How long a test waits for something that takes real time (libVLC, a child process). The
// sanitized build (NORVANE_SANITIZE) runs everything several times slower, libVLC and Qt included:
// its allocator records a full stack for every allocation. Waits scale here and nowhere else.
namespace norvane::test {

// `ms` on the normal build; eight times as long sanitized, where libVLC winding a failed player
// down took 39-49 s on the shared machine against a 10 s limit (under 1 s on the normal build).
constexpr int patience(int ms)
{
#ifdef NORVANE_TEST_SANITIZED
    return 8 * ms;
#else
    return ms;
#endif
}

} // namespace norvane::test
