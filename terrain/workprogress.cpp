#include "terrain/workprogress.h"

#include <algorithm>
#include <cmath>

void WorkProgress::beginStage(const QString& name, double begin, double end)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stage_ = name;
        begin_ = spanBegin_ + (spanEnd_ - spanBegin_) * begin;
        end_ = spanBegin_ + (spanEnd_ - spanBegin_) * end;
    }
    advance(0.0);
}

void WorkProgress::setSpan(double begin, double end)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    spanBegin_ = begin;
    spanEnd_ = end;
}

bool WorkProgress::advance(double stageDone)
{
    QString stage;
    int percent = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const double done = begin_ + (end_ - begin_) * std::clamp(stageDone, 0.0, 1.0);
        percent = int(std::floor(100.0 * std::clamp(done, 0.0, 1.0)));
        stage = stage_;
    }
    percent_.store(percent, std::memory_order_relaxed);
    if (listener_) {
        listener_(stage, percent);
    }
    return !cancelled();
}

QString WorkProgress::stage() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return stage_;
}
