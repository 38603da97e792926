#include "app/pacer.h"

#include "app/desktop.h"
#include "app/list_model.h"

Pacer::Pacer(Desktop& desktop, std::initializer_list<ListModel*> announced,
             std::function<void()> afterYield)
    : desktop_(&desktop), announced_(announced), afterYield_(std::move(afterYield))
{
    slice_.start();
}

bool Pacer::pace()
{
    if (!desktop_->yieldsEveryRow()) {
        if (++checks_ % kChecksPerClockRead != 0 || slice_.elapsed() < kTimeSliceMs)
            return false;
    }
    for (ListModel* list : announced_)
        list->flushAppends();
    desktop_->yield();
    slice_.restart();
    if (afterYield_)
        afterYield_();
    return true;
}
