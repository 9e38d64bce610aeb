#pragma once
// The main screen's JSON register channel: one client per screen (its
// IdTCPClient1), over the session variables the screen keeps. A session the
// channel opens is watched by the screen's idle poll from then on.
class TfmReg;

namespace archive {

class KktJsonChannel;

KktJsonChannel& kktJsonChannel(TfmReg& screen);

}  // namespace archive
