#pragma once

#include <QThreadPool>

// The global pool's size for a scope, back to what it was after: the worlds
// must come out the same on any number of threads.
class PoolSize
{
public:
    explicit PoolSize(int threads) : old_(QThreadPool::globalInstance()->maxThreadCount())
    {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
    }
    ~PoolSize() { QThreadPool::globalInstance()->setMaxThreadCount(old_); }
    PoolSize(const PoolSize&) = delete;
    PoolSize& operator=(const PoolSize&) = delete;

private:
    int old_;
};
