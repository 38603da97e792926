#include "app/pacer.h"

#include "app/desktop.h"
#include "app/list_model.h"

Pacer::Pacer(Desktop& desktop, std::initializer_list<ListModel*> announced,
             std::function<void()> afterYield)
    : desktop_(&desktop), lists_(announced), afterYield_(std::move(afterYield))
{
    slice_.start();
    announced_.start();
}

bool Pacer::pace()
{
    if (!desktop_->yieldsEveryRow()) {
        if (++checks_ % kChecksPerClockRead != 0 || slice_.elapsed() < kTimeSliceMs)
            return false;
    }
    if (desktop_->yieldsEveryRow() || announced_.elapsed() >= kAnnounceMs) {
        for (ListModel* list : lists_)
            list->flushAppends();
        announced_.restart();
    }
    desktop_->yield();
    slice_.restart();
    if (afterYield_)
        afterYield_();
    return true;
}
