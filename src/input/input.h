#pragma once
// The keyboard hook, instant-modify keys, composition resets, commit and command codes, built
// over one set of state references.

#include "input/commands.h"
#include "input/commit.h"
#include "input/hook.h"
#include "input/input_context.h"
#include "input/reset.h"
#include "lexicon/user_lookup.h"

namespace yz {

class Input {
 public:
  explicit Input(const InputContext& ctx)
      : context(ctx),
        userLookup(ctx.lex, ctx.settings, ctx.comp, ctx.pass, ctx.win, ctx.race),
        composition(context),
        committer(context, composition),
        hook(context, composition, committer, userLookup),
        commands(context, composition, hook) {}
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  InputContext context;
  UserLookup userLookup;
  Composition composition;
  Committer committer;
  KeyboardHook hook;
  Commands commands;
};

}  // namespace yz
