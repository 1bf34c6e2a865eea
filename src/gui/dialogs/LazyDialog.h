#pragma once

#include <functional>
#include <utility>

// A dialog made the first time it is used and reused from then on, so that
// start-up does not build dialogs the user may never open. The dialog belongs
// to the parent widget that make gives it.
template <typename T>
class LazyDialog final
{
public:
    explicit LazyDialog(std::function<T *()> make)
        : m_make(std::move(make))
    {
    }

    [[nodiscard]] T &get() const
    {
        if (!m_dialog)
            m_dialog = m_make();
        return *m_dialog;
    }
    T *operator->() const { return &get(); }
    T &operator*() const { return get(); }

private:
    std::function<T *()> m_make;
    mutable T *m_dialog = nullptr;
};
