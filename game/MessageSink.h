// Where the game's rules send the refusals the player is told about
// ("Za mało many!", "Za mało surowców!", ...). The windows pass the toolkit's
// ShowMessage, so the frame timer keeps ticking while a box is up; a test
// collects the texts. An empty sink keeps the rules silent.
#pragma once

#include <functional>
#include <string>

namespace korvel {

using TMessageSink = std::function<void(const std::string& Text)>;

inline void Tell(const TMessageSink& Sink, const std::string& Text) {
  if (Sink) Sink(Text);
}

}  // namespace korvel
