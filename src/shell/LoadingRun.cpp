#include "shell/LoadingRun.h"

#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

LoadingRun::LoadingRun(CommandContext& ctx, Kind kind) : m_ctx(ctx), m_kind(kind)
{
    if (m_kind != Load)
        return;
    m_ctx.state.IsLoading = true;
    m_ctx.window.setMenuStates();
}

LoadingRun::~LoadingRun()
{
    end();
}

void LoadingRun::showBusy()
{
    ShowBusyPointer();
}

void LoadingRun::offerStop()
{
    m_ctx.state.StopEnabled = true;
    m_ctx.window.setMenuStates();
}

void LoadingRun::end()
{
    if (m_ended)
        return;
    m_ended = true;
    MainState& s = m_ctx.state;
    if (m_kind == Load) {
        // A stop request never outlives the load it was meant for.
        s.StopEnabled = false;
        s.StopLoading = false;
        s.IsLoading = false;
        m_ctx.window.setMenuStates();
    }
    ShowDefaultPointer();
    if (s.IsClosing)
        m_ctx.window.endProgram();
}
