#pragma once

#include <QCoroTask>
#include <chrono>

class QObject;

// A wait on behalf of an object: true once `duration` has passed, false as soon as `owner` is
// destroyed (at once if it is null). A model's coroutine that sleeps thus ends with its model
// instead of staying suspended on a timer nobody owns.
QCoro::Task<bool> ownedDelay(QObject *owner, std::chrono::milliseconds duration);
