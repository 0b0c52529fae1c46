#include "app/command_line.h"

namespace keldar {

namespace {

// "--trace FILE" or "--trace=FILE"; "-C DIR" or "-CDIR".
bool takeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string& value, std::string& error) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      error = "option " + name + " needs a value";
      return true;
    }
    value = args[++i];
    return true;
  }
  const std::string joined = name.size() == 2 ? name : name + "=";
  if (arg.size() > joined.size() && arg.compare(0, joined.size(), joined) == 0) {
    value = arg.substr(joined.size());
    return true;
  }
  return false;
}

}  // namespace

bool parseListenAddress(const std::string& text, std::string& address, int& port,
                        std::string& error) {
  std::string portText = text;
  address = "127.0.0.1";
  const std::size_t colon = text.rfind(':');
  if (colon != std::string::npos) {
    address = text.substr(0, colon);
    portText = text.substr(colon + 1);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
      address = address.substr(1, address.size() - 2);
    }
  }
  const bool digits = !portText.empty() && portText.size() <= 5 &&
                      portText.find_first_not_of("0123456789") == std::string::npos;
  port = digits ? std::stoi(portText) : -1;
  if (address.empty() || port < 0 || port > 65535) {
    error = "--rigctld needs [ADDRESS:]PORT (a port 0..65535), not '" + text + "'";
    return false;
  }
  return true;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size() && line.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--simulate") {
      line.simulate = true;
    } else if (arg == "--terminal") {
      line.terminal = true;
    } else if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (takeValue(args, i, "-C", line.directory, line.error) ||
               takeValue(args, i, "--trace", line.traceFile, line.error)) {
      continue;
    } else if (std::string where; takeValue(args, i, "--rigctld", where, line.error)) {
      if (line.error.empty()) {
        parseListenAddress(where, line.rigctldAddress, line.rigctldPort, line.error);
      }
    } else if (takeValue(args, i, "--radio", line.radioAddress, line.error)) {
      if (line.error.empty() && !line.radioAddress.starts_with("tcp:")) {
        line.error = "--radio needs tcp:HOST:PORT, not '" + line.radioAddress + "'";
      }
    } else if (!arg.empty() && arg[0] == '-') {
      line.error = "unknown option '" + arg + "'";
    } else {
      line.error = "unexpected argument '" + arg + "'";
    }
  }
  return line;
}

std::string usageLine(const OfferedOptions& offered) {
  std::string line = "usage: keldar [--simulate]";
  if (offered.terminal) line += " [--terminal]";
  line += " [-C DIR] [--trace FILE]";
  if (offered.rigctld) line += " [--rigctld [ADDRESS:]PORT]";
  if (offered.radio) line += " [--radio tcp:HOST:PORT]";
  return line + " [--help] [--version]";
}

std::string helpText(const OfferedOptions& offered) {
  std::string text =
      usageLine(offered) +
      "\n\n"
      "A talking, keyboard-only front panel for Yaesu FT-series transceivers.\n\n"
      "  --simulate    the built-in simulated radio answers instead of a serial port\n";
  if (offered.terminal) {
    text += "  --terminal    the terminal panel even when a display is available\n";
  }
  text +=
      "  -C DIR        run in DIR (keldar.cfg, savmem.dat, memory.txt, debug.dat, wave/)\n"
      "  --trace FILE  write one line per event to FILE (relative to the starting\n"
      "                directory): keys, ticks, serial bytes, phrases, prints\n";
  if (offered.rigctld) {
    text +=
        "  --rigctld [ADDRESS:]PORT\n"
        "                share the radio with other programs in Hamlib's rigctld\n"
        "                protocol (rigctl -m 2, loggers) on ADDRESS (127.0.0.1 when not\n"
        "                given: this machine only). Never open it to the internet:\n"
        "                anyone who reaches the port can key the transmitter.\n";
  }
  if (offered.radio) {
    text +=
        "  --radio tcp:HOST:PORT\n"
        "                the radio's CAT port served over raw TCP (ser2net, a remote\n"
        "                station), instead of the port of keldar.cfg line 1\n";
  }
  return text +
         "  -h, --help    this text\n"
         "  --version     the version\n";
}

}  // namespace keldar
