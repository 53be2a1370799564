#pragma once

#include <QNetworkProxyFactory>

namespace dezadav::testing {

// Stands in for the system's proxy configuration while it lives: counts every socket that asks it
// for a proxy and hands out none. A socket made with no proxy never asks.
class ProxyProbe {
public:
    // Qt owns the factory and deletes it when another one (here: none) is set.
    ProxyProbe() { QNetworkProxyFactory::setApplicationProxyFactory(new CountingFactory(m_queries)); }
    ~ProxyProbe() { QNetworkProxyFactory::setApplicationProxyFactory(nullptr); }
    ProxyProbe(const ProxyProbe&) = delete;
    ProxyProbe& operator=(const ProxyProbe&) = delete;
    int Queries() const { return m_queries; }

private:
    class CountingFactory : public QNetworkProxyFactory {
    public:
        explicit CountingFactory(int& queries) : m_count(queries) {}
        QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery&) override {
            ++m_count;
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        }

    private:
        int& m_count;
    };
    int m_queries = 0;
};

}  // namespace dezadav::testing
