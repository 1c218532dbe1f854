#pragma once

#include <QList>
#include <functional>
#include <utility>

// Lets a part of the app that builds on T attach its own objects to every T made, without T
// knowing them: the desktop's media controls attach to the playing screens' models this way, so
// the models never include the desktop integration that observes them.
template <typename T> class CreationHooks
{
public:
    using Hook = std::function<void(T *)>;

    static void add(Hook hook) { hooks().append(std::move(hook)); }
    // Called by T's constructor once its own members are set up.
    static void run(T *object)
    {
        for (const Hook &hook : std::as_const(hooks()))
            hook(object);
    }

private:
    static QList<Hook> &hooks()
    {
        static QList<Hook> list;
        return list;
    }
};
