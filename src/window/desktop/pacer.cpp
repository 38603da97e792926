#include "window/desktop/pacer.h"

#include "lists/list_model.h"
#include "window/desktop/desktop.h"

Pacer::Pacer(Desktop& desktop, std::initializer_list<ListModel*> announced,
             std::function<void()> afterYield, Input input)
    : desktop_(&desktop), everyRow_(desktop.yieldsEveryRow()), input_(input), lists_(announced),
      afterYield_(std::move(afterYield))
{
    slice_.start();
    announced_.start();
}

bool Pacer::yieldNow()
{
    const auto announce = [this] {
        for (ListModel* list : lists_)
            list->flushAppends();
        announced_.restart();
    };
    if (everyRow_)
        announce();
    if (input_ == Input::Waits)
        desktop_->yieldWithoutInput();
    else
        desktop_->yield();
    slice_.restart();
    if (afterYield_)
        afterYield_();
    // Announced at the start of a slice, so the views' share of the time counts towards the
    // slice and the window still gets its events at least every few tens of milliseconds.
    if (!everyRow_ && announced_.elapsed() >= kAnnounceMs)
        announce();
    return true;
}
