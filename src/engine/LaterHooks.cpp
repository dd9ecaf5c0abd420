// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/LaterHooks.h"

namespace Tandemix {

LaterHooks& HooksOf(RunContext& ctx)
{
    static LaterHooks none; // stateless: shared by every context without hooks of its own
    return ctx.Engine.Hooks != nullptr ? *ctx.Engine.Hooks : none;
}

} // namespace Tandemix
