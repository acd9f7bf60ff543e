#include "ctl.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>
#include <string_view>

#include "korvex/sim/op.h"

namespace korvex::hub {
namespace {

using sim::Controller;
using sim::Op;

const char kHelp[] =
    "Usage:\n"
    "  korvex-hub [--instance NAME]\n"
    "      Serve one hub instance: NAME, or by default the instance named by this program's\n"
    "      folder (\"Korvex2ndMutex\" when a file \"second\" or \"Second.txt\" is there, else\n"
    "      \"KorvexMutex\"). A second hub for a served instance exits at once with status 0.\n"
    "      SIGTERM, SIGINT and SIGHUP end it cleanly.\n"
    "  korvex-hub ctl [--instance NAME] VERB [ARG...]\n"
    "      Drive the simulated controller of a running hub. Exit status 0 when done, 1 for a\n"
    "      refused command, 2 when no hub answers.\n"
    "  korvex-hub --help\n"
    "\n"
    "Verbs:\n"
    "  state                       the whole state as one JSON document\n"
    "  ping                        answers \"pong\"\n"
    "  unplug                      take the controller's link down (steppers stop)\n"
    "  plug                        bring it back: every sub-client sees a fresh connection\n"
    "  fail OP [port=P] [index=I] [times=N]\n"
    "                              make operation OP (StepperGetPos, RelioRelayRead, ...) fail\n"
    "                              for calls on port P (ReadAnalog: bank) and index I (relay,\n"
    "                              input, digital pin, ReadAnalog channel); any port/index when\n"
    "                              omitted; N calls, or until cleared\n"
    "  clear [OP]                  remove every failure rule, or those of OP\n"
    "  instant on|off              moves end on their target at once\n"
    "  speed SCALE                 move speed multiplier, > 0 (1 = real time, 10 = ten times)\n"
    "  language ID                 hub language: 9 (English) or 3082 (Spanish)\n"
    "  firmware N                  controller firmware number\n"
    "  comm-method N               link kind (1 = network)\n"
    "  temperature int|ext TENTHS  sensor reading in tenths of a degree Celsius\n"
    "  analog PORT INDEX RAW       raw input reading 0..1023 (digital: active above 512)\n"
    "  relay PORT INDEX open|closed\n"
    "  stepper PORT position=N     redefine a stepper's counter (as StepperSetPos)\n"
    "  wheel [turn=N] [width=N] [marks=A,B,...] [offset=N] [mark-reading=N] [gap-reading=N]\n"
    "                              filter-wheel mark model of the THIRD-port stepper: phase\n"
    "                              grows as the stepper moves toward smaller counts; a mark\n"
    "                              at A covers phases A..A+width-1\n"
    "\n"
    "Files: KORVEX_HOME (or the XDG folders) holds run/NAME.sock and run/NAME.lock.\n";

std::optional<int32_t> ParseInt(std::string_view s) {
    int32_t v = 0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || ptr != end || s.empty()) return std::nullopt;
    return v;
}

std::optional<double> ParseDouble(const std::string& s) {
    try {
        size_t used = 0;
        const double v = std::stod(s, &used);
        if (used != s.size()) return std::nullopt;
        return v;
    } catch (...) {
        return std::nullopt;
    }
}

// "key=value" -> value when the key matches.
std::optional<std::string_view> Option(std::string_view word, std::string_view key) {
    if (word.size() <= key.size() || word.substr(0, key.size()) != key || word[key.size()] != '=') {
        return std::nullopt;
    }
    return word.substr(key.size() + 1);
}

CtlResult Done(std::string text = "ok") { return {0, std::move(text)}; }
CtlResult Refused(std::string text) { return {1, std::move(text)}; }

std::string JsonString(std::string_view s) {
    std::string out = "\"";
    for (char ch : s) {
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                if (static_cast<unsigned char>(ch) < 0x20) {
                    char buf[8];
                    snprintf(buf, sizeof buf, "\\u%04x", ch);
                    out += buf;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

CtlResult Fail(Controller& c, const std::vector<std::string>& w) {
    if (w.size() < 2) return Refused("fail: operation name missing");
    const auto op = sim::OpFromName(w[1]);
    if (!op) return Refused("fail: unknown operation " + w[1]);
    int32_t port = sim::kAny, index = sim::kAny, times = sim::kForever;
    for (size_t i = 2; i < w.size(); ++i) {
        std::optional<int32_t> v;
        if (auto s = Option(w[i], "port")) {
            v = ParseInt(*s);
            if (v) port = *v;
        } else if (auto s = Option(w[i], "index")) {
            v = ParseInt(*s);
            if (v) index = *v;
        } else if (auto s = Option(w[i], "times")) {
            v = ParseInt(*s);
            if (v && *v > 0)
                times = *v;
            else
                v.reset();
        }
        if (!v) return Refused("fail: bad argument " + w[i]);
    }
    c.InjectFailure(*op, port, index, times);
    return Done();
}

CtlResult Wheel(Controller& c, const std::vector<std::string>& w) {
    sim::WheelMarks m = c.GetWheelMarks();
    for (size_t i = 1; i < w.size(); ++i) {
        std::optional<int32_t> v;
        if (auto s = Option(w[i], "marks")) {
            m.marks.clear();
            std::string_view rest = *s;
            bool ok = !rest.empty();
            while (ok && !rest.empty()) {
                const size_t comma = rest.find(',');
                const auto mark = ParseInt(rest.substr(0, comma));
                ok = mark.has_value();
                if (ok) m.marks.push_back(*mark);
                rest =
                    comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
            }
            if (!ok) return Refused("wheel: bad marks " + w[i]);
            continue;
        }
        struct {
            const char* key;
            int32_t* field;
        } fields[] = {{"turn", &m.turnSteps},
                      {"width", &m.width},
                      {"offset", &m.offset},
                      {"mark-reading", &m.markReading},
                      {"gap-reading", &m.gapReading}};
        bool matched = false;
        for (auto& f : fields) {
            if (auto s = Option(w[i], f.key)) {
                matched = true;
                v = ParseInt(*s);
                if (v) *f.field = *v;
            }
        }
        if (!matched || !v) return Refused("wheel: bad argument " + w[i]);
    }
    if (!c.SetWheelMarks(m)) return Refused("wheel: marks outside the turn, or a size below 1");
    return Done();
}

// Verbs of the form "verb N": one integer handed to a setter.
CtlResult SetInt(const std::vector<std::string>& w, void (*apply)(Controller&, int32_t),
                 Controller& c) {
    if (w.size() != 2) return Refused(w[0] + ": one number expected");
    const auto v = ParseInt(w[1]);
    if (!v) return Refused(w[0] + ": not a number: " + w[1]);
    apply(c, *v);
    return Done();
}

}  // namespace

const char* HelpText() { return kHelp; }

std::string StateJson(const Controller& c, const std::string& instance,
                      const std::vector<ClientInfo>& clients) {
    std::ostringstream j;
    auto b = [](bool v) { return v ? "true" : "false"; };
    j << "{\"instance\":" << JsonString(instance) << ",\"plugged\":" << b(c.Plugged())
      << ",\"connectCount\":" << c.ConnectCount() << ",\"language\":" << c.Language()
      << ",\"commMethod\":" << c.CommMethod() << ",\"firmware\":" << c.FirmwareVersion()
      << ",\"temperatures\":{\"internal\":" << c.InternalTemp()
      << ",\"external\":" << c.ExternalTemp() << "},\"instantMoves\":" << b(c.InstantMoves())
      << ",\"speedScale\":" << c.SpeedScale() << ",\n\"steppers\":[";
    for (int32_t p = 0; p < sim::kPorts; ++p) {
        const sim::StepperState s = c.Stepper(p);
        j << (p ? ",\n" : "\n") << "{\"port\":" << p << ",\"position\":" << s.position
          << ",\"target\":" << s.target << ",\"moving\":" << b(s.moving) << ",\"lastCommand\":\""
          << sim::MoveKindName(s.lastKind) << "\",\"lastBacklash\":" << s.lastBacklash
          << ",\"model\":" << s.model << ",\"halfStep\":" << s.halfStep
          << ",\"wireMode\":" << s.wireMode << ",\"stopPower\":" << s.stopPower
          << ",\"movePower\":" << s.movePower << ",\"slowUs\":" << s.slowUs
          << ",\"fastUs\":" << s.fastUs << ",\"speedMs\":" << s.speedMs
          << ",\"travel\":" << s.travel << "}";
    }
    j << "]";
    // "name":[[port 0 values],[port 1 values],[port 2 values]]
    auto table = [&](const char* name, int32_t count, auto value) {
        j << ",\n\"" << name << "\":[";
        for (int32_t p = 0; p < sim::kPorts; ++p) {
            j << (p ? ",[" : "[");
            for (int32_t i = 0; i < count; ++i) j << (i ? "," : "") << value(p, i);
            j << "]";
        }
        j << "]";
    };
    table("relays", sim::kRelays, [&](int32_t p, int32_t i) { return b(c.RelayClosed(p, i)); });
    table("inputs", sim::kInputs, [&](int32_t p, int32_t i) { return c.AnalogInput(p, i); });
    table("digitalOutputs", sim::kDigitalPins,
          [&](int32_t p, int32_t i) { return c.DigitalOutput(p, i + 1); });
    j << ",\n";
    const sim::WheelMarks& w = c.GetWheelMarks();
    j << "\"wheel\":{\"turn\":" << w.turnSteps << ",\"width\":" << w.width << ",\"marks\":[";
    for (size_t i = 0; i < w.marks.size(); ++i) j << (i ? "," : "") << w.marks[i];
    j << "],\"offset\":" << w.offset << ",\"markReading\":" << w.markReading
      << ",\"gapReading\":" << w.gapReading << ",\"sensor\":" << c.WheelSensor() << "},\n";
    j << "\"failures\":[";
    bool first = true;
    for (const sim::FailureRule& r : c.Failures()) {
        j << (first ? "" : ",") << "{\"op\":" << JsonString(sim::OpName(r.op))
          << ",\"port\":" << r.port << ",\"index\":" << r.index << ",\"times\":" << r.times << "}";
        first = false;
    }
    j << "],\n\"clients\":[";
    first = true;
    for (const ClientInfo& ci : clients) {
        j << (first ? "" : ",") << "{\"pid\":" << ci.pid << ",\"port\":" << ci.port
          << ",\"kind\":" << ci.kind << ",\"open\":" << b(ci.open) << "}";
        first = false;
    }
    j << "]}\n";
    return j.str();
}

CtlResult RunCtl(Controller& c, const std::string& instance, const std::vector<ClientInfo>& clients,
                 const std::vector<std::string>& w) {
    if (w.empty()) return Refused("no verb (see korvex-hub --help)");
    const std::string& verb = w[0];
    if (verb == "state") return Done(StateJson(c, instance, clients));
    if (verb == "ping") return Done("pong");
    if (verb == "unplug") {
        c.Unplug();
        return Done();
    }
    if (verb == "plug") {
        c.Plug();
        return Done();
    }
    if (verb == "fail") return Fail(c, w);
    if (verb == "clear") {
        if (w.size() == 1) {
            c.ClearFailures();
            return Done();
        }
        const auto op = sim::OpFromName(w[1]);
        if (!op || w.size() != 2) return Refused("clear: unknown operation " + w[1]);
        c.ClearFailures(*op);
        return Done();
    }
    if (verb == "instant") {
        if (w.size() != 2 || (w[1] != "on" && w[1] != "off")) {
            return Refused("instant: on or off expected");
        }
        c.SetInstantMoves(w[1] == "on");
        return Done();
    }
    if (verb == "speed") {
        const auto v = w.size() == 2 ? ParseDouble(w[1]) : std::nullopt;
        if (!v || !c.SetSpeedScale(*v)) return Refused("speed: a number above 0 expected");
        return Done();
    }
    if (verb == "language") {
        const auto v = w.size() == 2 ? ParseInt(w[1]) : std::nullopt;
        if (!v || (*v != 9 && *v != 3082)) return Refused("language: 9 or 3082 expected");
        c.SetLanguage(*v);
        return Done();
    }
    if (verb == "firmware") {
        return SetInt(
            w, [](Controller& k, int32_t v) { k.SetFirmwareVersion(v); }, c);
    }
    if (verb == "comm-method") {
        return SetInt(
            w, [](Controller& k, int32_t v) { k.SetCommMethod(v); }, c);
    }
    if (verb == "temperature") {
        const auto v = w.size() == 3 ? ParseInt(w[2]) : std::nullopt;
        if (!v || (w[1] != "int" && w[1] != "ext")) {
            return Refused("temperature: int|ext TENTHS expected");
        }
        if (w[1] == "int")
            c.SetInternalTemp(*v);
        else
            c.SetExternalTemp(*v);
        return Done();
    }
    if (verb == "analog") {
        if (w.size() != 4) return Refused("analog: PORT INDEX RAW expected");
        const auto p = ParseInt(w[1]), i = ParseInt(w[2]), v = ParseInt(w[3]);
        if (!p || !i || !v || !c.SetAnalogInput(*p, *i, *v)) {
            return Refused("analog: port 0..2, index 0..7, reading 0..1023 expected");
        }
        return Done();
    }
    if (verb == "relay") {
        if (w.size() != 4) return Refused("relay: PORT INDEX open|closed expected");
        const auto p = ParseInt(w[1]), i = ParseInt(w[2]);
        const bool closed = w[3] == "closed" || w[3] == "1";
        const bool known = closed || w[3] == "open" || w[3] == "0";
        if (!p || !i || !known || !c.SetRelay(*p, *i, closed)) {
            return Refused("relay: port 0..2, index 0..7, open|closed expected");
        }
        return Done();
    }
    if (verb == "stepper") {
        const auto p = w.size() == 3 ? ParseInt(w[1]) : std::nullopt;
        const auto s = w.size() == 3 ? Option(w[2], "position") : std::nullopt;
        const auto v = s ? ParseInt(*s) : std::nullopt;
        if (!p || !v) return Refused("stepper: PORT position=N expected");
        if (c.StepperSetPos(*p, *v) != 0) {
            return Refused("stepper: refused (bad port, controller unplugged or failing)");
        }
        return Done();
    }
    if (verb == "wheel") return Wheel(c, w);
    return Refused("unknown verb " + verb + " (see korvex-hub --help)");
}

}  // namespace korvex::hub
