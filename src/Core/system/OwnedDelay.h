#pragma once

#include <QCoroTask>
#include <chrono>

class QObject;

// A wait on behalf of an object: true once `duration` has passed, false as soon as `owner` is
// destroyed (at once if it is null). A model's coroutine that sleeps thus ends with its model
// instead of staying suspended on a timer nobody owns. Await it into a named value, never inside a
// condition: GCC 12 destroys the task of a co_await inside a condition twice.
QCoro::Task<bool> ownedDelay(QObject *owner, std::chrono::milliseconds duration);
