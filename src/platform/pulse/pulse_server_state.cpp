// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pulse/pulse_server_state.h"

namespace {

template <typename Info>
ServerObject* Collect(const Info* info, int eol, std::vector<ServerObject>* into)
{
    if (eol || !info)
        return nullptr;
    into->push_back({info->index, info->name ? info->name : "",
                     info->description ? info->description : (info->name ? info->name : ""),
                     info->channel_map.channels, {}});
    return &into->back();
}

} // namespace

bool ReadServerState(PulseConnection& c, ServerState& s)
{
    struct Ctx {
        PulseConnection* c;
        ServerState* s;
    } ctx{&c, &s};
    pa_operation* op = pa_context_get_server_info(c.context(), [](pa_context*, const pa_server_info* i, void* u) {
        auto* x = static_cast<Ctx*>(u);
        if (i) {
            x->s->defaultSink = i->default_sink_name ? i->default_sink_name : "";
            x->s->defaultSource = i->default_source_name ? i->default_source_name : "";
        }
        x->c->wake();
    }, &ctx);
    if (!c.await(op, kPulseCallTimeoutMs))
        return false;
    op = pa_context_get_sink_info_list(c.context(), [](pa_context*, const pa_sink_info* i, int eol, void* u) {
        auto* x = static_cast<Ctx*>(u);
        Collect(i, eol, &x->s->sinks);
        x->c->wake();
    }, &ctx);
    if (!c.await(op, kPulseCallTimeoutMs))
        return false;
    op = pa_context_get_source_info_list(c.context(), [](pa_context*, const pa_source_info* i, int eol, void* u) {
        auto* x = static_cast<Ctx*>(u);
        if (ServerObject* o = Collect(i, eol, &x->s->sources); o && i->monitor_of_sink_name)
            o->monitorOf = i->monitor_of_sink_name;
        x->c->wake();
    }, &ctx);
    return c.await(op, kPulseCallTimeoutMs);
}

