#pragma once
// Values by text key, several to a key, walked in the order they were put in.
// A QMultiHash is walked in the order of its buckets, and those move with the
// hash seed Qt draws anew in every process: a rule that keeps the first of
// several overlapping boxes it meets then keeps another one from run to run,
// and two readings of one picture give proposals a pixel apart.
#include <QHash>
#include <QList>
#include <QString>
#include <cstddef>
#include <iterator>
#include <utility>

template <typename T>
class Reihenhash {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;

        const_iterator() = default;
        explicit const_iterator(typename QList<std::pair<QString, T>>::const_iterator it) : m_it(it) {}
        const QString& key() const { return m_it->first; }
        reference operator*() const { return m_it->second; }
        pointer operator->() const { return &m_it->second; }
        const_iterator& operator++() {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator vorher = *this;
            ++m_it;
            return vorher;
        }
        bool operator==(const const_iterator& o) const { return m_it == o.m_it; }
        bool operator!=(const const_iterator& o) const { return m_it != o.m_it; }

    private:
        typename QList<std::pair<QString, T>>::const_iterator m_it;
    };

    void insert(const QString& key, const T& wert) {
        m_index[key] << m_folge.size();
        m_folge.emplace_back(key, wert);
    }
    // The values of a key, the latest first (as QMultiHash gives them).
    QList<T> values(const QString& key) const {
        QList<T> werte;
        const auto it = m_index.constFind(key);
        if (it == m_index.cend())
            return werte;
        werte.reserve(it->size());
        for (qsizetype i = it->size() - 1; i >= 0; --i)
            werte << m_folge[(*it)[i]].second;
        return werte;
    }
    const_iterator cbegin() const { return const_iterator(m_folge.cbegin()); }
    const_iterator cend() const { return const_iterator(m_folge.cend()); }
    const_iterator begin() const { return cbegin(); }
    const_iterator end() const { return cend(); }

private:
    QList<std::pair<QString, T>> m_folge;
    QHash<QString, QList<qsizetype>> m_index;
};
