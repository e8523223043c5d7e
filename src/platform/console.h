#pragma once

namespace tagwright {

/// True when standard input is an interactive terminal (so a question can be asked there).
bool StandardInputIsTerminal();

}  // namespace tagwright
