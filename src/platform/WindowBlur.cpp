#include "WindowBlur.h"

namespace {
class NoBlur final : public WindowBlur {
public:
    void setRegion(QWindow*, const QRegion&) override { }
    void clear(QWindow*) override { }
};

NoBlur noBlur;
WindowBlur* installed = &noBlur;
} // namespace

WindowBlur& WindowBlur::current()
{
    return *installed;
}

void WindowBlur::install(WindowBlur* blur)
{
    installed = blur ? blur : &noBlur;
}
