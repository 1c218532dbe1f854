#pragma once

#include "XtreamClient.h"

namespace norvane::test {

// The client signed in to a test provider (SampleProvider or SampleProviderThread).
template<typename Provider>
XtreamClient clientOf(Provider &provider)
{
    return XtreamClient(provider.baseUrl(), provider.username(), provider.password());
}

} // namespace norvane::test
