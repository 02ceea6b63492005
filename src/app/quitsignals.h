#pragma once

namespace tavelorn {

// Makes SIGTERM and SIGHUP (the session ending, a service manager stopping us) quit the
// application as its Quit command does, so that the usual clean-up runs: downloads
// stop at once. A second signal of the same kind ends the program
// at once, as before. Call once, after the application object exists.
void quitOnTerminationSignals();

} // namespace tavelorn
