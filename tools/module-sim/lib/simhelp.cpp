#include "simoptions.h"

namespace {

const char *const Help = R"(Usage: tarnowick-module-sim [options]

Simulated XBee 868 modules on pseudo-terminals, linked by a simulated radio.
Prints the serial device of each module that is plugged in on stdout, one path
per line in letter order, then runs until SIGINT, SIGTERM or SIGHUP. Meanwhile
commands on stdin plug and unplug modules (see below).

Options:
  --modules N            number of modules, 1 to 8: A, B, ... H; default 1
  --link-dir DIR         create DIR/moduleA, DIR/moduleB ... as symlinks to
                         the ptys and print those paths instead of /dev/pts/N
  --state FILE           JSON file of the registers that WR stores, for all
                         modules; read at start if it exists, rewritten on WR
  --unplugged M          module M starts unplugged: no device, no link and no
                         line on stdout until "plug M"; may be repeated
  --guard-ms [M:]MS      guard time GT of module M in ms, 2 to 3300; without M
                         for every module (a module named on its own wins);
                         default 1000 or the stored GT (this option wins over
                         the stored value)
  --ct-ms MS             command mode timeout in ms, a multiple of 100 from
                         200 to 600000; default 10000 or the stored CT
  --bd M:N               module M starts with the UART rate index BD N, 0 to 8
                         (0 1200, 1 2400, 2 4800, 3 9600, 4 19200, 5 38400,
                         6 57600, 7 115200, 8 230400); default 3 or the stored
                         BD (this option wins); once per module
  --nb M:N               module M starts with the parity NB N: 0 none, 1 even,
                         2 odd, 3 mark, 4 space; default 0 or the stored NB
                         (this option wins); once per module
  --sb M:N               module M starts with the stop bits SB N: 0 one, 1 two;
                         default 0 or the stored SB (this option wins); once
                         per module
  --strict-framing       garble on a stop-bit mismatch too (by default only the
                         rate and the parity must match, as most receivers
                         check just the first stop bit)
  --rssi [M:]DBM         RSSI at which module M hears the others, -255 to 0;
                         without M for every module (a module named on its own
                         wins); default -70
  --rssi-jitter DB       largest deviation of the RSSI's slow random walk,
                         0 to 50; default 4
  --loss P               share of packets lost, 0 to 1; default 0
  --seed N               seed of the RSSI and loss model, 0 to 4294967295;
                         default random (shown with -v)
  --auto-transmit M      module M sends "THE QUICK BROWN FOX n\r" (n from 0)
                         into the radio as if a transmitting Tarnowick were
                         attached to it, and logs the "HEARD" replies that
                         come back, with their count
  --auto-interval-ms MS  period of --auto-transmit, 10 to 3600000; default 5000
  --silent M             module M never answers in command mode; may be repeated
  --refuse CMD           answer "ERROR" to every set of CMD (for WR, AC, CN and
                         RE: to the command itself); may be repeated
  --store-differently M:CMD=VALUE
                         module M answers a set of CMD with "OK" but holds
                         VALUE instead (queried and stored by WR as such),
                         for example A:CM=3EFFFC00; may be repeated
  --hangup-after [M:]N   unplug module M (A if M is left out) once it has
                         received N bytes, like an adapter pulled out in the
                         middle of a write; "plug M" puts it back for good;
                         once per module
  -v, --verbose          log every byte in and out with timestamps on stderr,
                         and every plug and unplug
  -h, --help             show this help
  --version              show the version

M is a module letter, A to H, of one of the --modules.

Commands on stdin, one per line; M is a module letter or "all":
  unplug M               pull out the module's adapter: its device and its link
                         vanish, and the module loses its power: it leaves
                         command mode and forgets what WR did not store
  plug M                 put it back: a new pseudo-terminal, the link points at
                         it, and the module starts with its stored registers
  wake M                 wake a module that sleeps (SM other than 0): its SM is
                         0 until it loses its power; a stored SM stays stored
  factory M              restore and store the factory settings (as ATRE,WR
                         would: 9600 8N1, awake, no flow control) and restart
                         the module; --guard-ms and --ct-ms still win
Other lines are reported on stderr and ignored; the end of stdin changes
nothing. Stdin is not read while the simulator is a background job of the
terminal it would read.

Exit status: 0 after one of those signals, 1 if the simulator cannot start
(pseudo-terminal, link or state file), 2 for a bad option or value.
)";

} // namespace

QString simHelpText()
{
    return QString::fromLatin1(Help);
}
