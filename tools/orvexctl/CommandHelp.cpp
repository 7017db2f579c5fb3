#include "tools/orvexctl/CommandHelp.h"

#include <algorithm>

#include "tools/orvexctl/CommandTable.h"

namespace orvexctl {
namespace {

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::vector<OptionEntry> OptionsOf(const CommandEntry& command) {
    std::vector<OptionEntry> options = command.options;
    for (const OptionEntry& o : CommandTable::Everywhere()) options.push_back(o);
    return options;
}

std::string Values(const OptionEntry& o) {
    return o.complete.rfind("values:", 0) == 0 ? o.complete.substr(7) : "";
}

// What completes the value of `o` in bash, as the body of a case branch.
std::string BashValue(const OptionEntry& o) {
    if (o.complete == "file") return "COMPREPLY=($(compgen -f -- \"$cur\"))";
    if (o.complete == "firmware")
        return "COMPREPLY=($(compgen -f -X '!*.bin' -- \"$cur\") $(compgen -d -- \"$cur\"))";
    if (o.complete == "address") return "COMPREPLY=($(compgen -W \"$(_orvexctl_addresses)\" -- \"$cur\"))";
    if (!Values(o).empty()) return "COMPREPLY=($(compgen -W \"" + Values(o) + "\" -- \"$cur\"))";
    return "COMPREPLY=()";
}

std::string ZshText(std::string text) {
    for (char& c : text) {
        if (c == ':' || c == '[' || c == ']' || c == '\'') c = ' ';
    }
    return text;
}

std::string ZshAction(const OptionEntry& o) {
    if (o.value.empty()) return "";
    const std::string value = ZshText(o.value);
    if (o.complete == "file") return ":" + value + ":_files";
    if (o.complete == "firmware") return ":" + value + ":_files -g '*.bin'";
    if (o.complete == "address") return ":" + value + ":_orvexctl_addresses";
    if (!Values(o).empty()) return ":" + value + ":(" + Values(o) + ")";
    return ":" + value + ": ";
}

}  // namespace

std::string CommandHelp::List() {
    std::string text = "usage: orvexctl COMMAND [OPTIONS]\n\ncommands:\n";
    for (const CommandEntry& c : CommandTable::Commands()) text += "  " + Padded(c.name, 14) + c.summary + "\n";
    text += "\nEvery command takes --help, --quiet and --verbose; `orvexctl help COMMAND` tells more.\n"
            "--version prints the version.\n";
    return text;
}

std::string CommandHelp::Of(const std::string& name) {
    const CommandEntry* c = CommandTable::Find(name);
    if (!c) return "";
    std::string text = "usage: " + c->usage + "\n\n" + c->summary + "\n\noptions:\n";
    for (const OptionEntry& o : OptionsOf(*c)) {
        text += "  " + Padded(o.name + (o.value.empty() ? "" : " " + o.value), 26) + o.help + "\n";
    }
    text += "\nexit status: " + c->exits + "\n\nexamples:\n";
    for (const std::string& e : c->examples) text += "  " + e + "\n";
    return text;
}

std::string CommandHelp::Completion(const std::string& shell) {
    std::string names;
    for (const CommandEntry& c : CommandTable::Commands()) names += (names.empty() ? "" : " ") + c.name;
    if (shell == "bash") {
        std::string values, options;
        for (const CommandEntry& c : CommandTable::Commands()) {
            std::string words;
            for (const OptionEntry& o : OptionsOf(c)) {
                words += (words.empty() ? "" : " ") + o.name;
                if (!o.value.empty()) values += "        " + c.name + ":" + o.name + ") " + BashValue(o) + "; return 0 ;;\n";
            }
            options += "        " + c.name + ") COMPREPLY=($(compgen -W \"" + words + "\" -- \"$cur\")) ;;\n";
        }
        return "# bash completion for orvexctl (written by `orvexctl completion bash`)\n"
               "_orvexctl_addresses() {\n"
               "    ip -4 -o addr show 2>/dev/null | awk '{print $4}' | cut -d/ -f1\n"
               "}\n"
               "_orvexctl() {\n"
               "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
               "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
               "        COMPREPLY=($(compgen -W \"" + names + " --help --version\" -- \"$cur\"))\n"
               "        return 0\n"
               "    fi\n"
               "    local command=\"${COMP_WORDS[1]}\"\n"
               "    case \"$command\" in\n"
               "        help) COMPREPLY=($(compgen -W \"" + names + "\" -- \"$cur\")); return 0 ;;\n"
               "        completion) COMPREPLY=($(compgen -W \"bash zsh\" -- \"$cur\")); return 0 ;;\n"
               "        onvif) if [ \"$COMP_CWORD\" -eq 2 ]; then\n"
               "                COMPREPLY=($(compgen -W \"info time-sync reboot\" -- \"$cur\")); return 0\n"
               "            fi ;;\n"
               "        cgi) if [ \"$COMP_CWORD\" -eq 2 ]; then\n"
               "                COMPREPLY=($(compgen -W \"exec values upload download\" -- \"$cur\")); return 0\n"
               "            fi ;;\n"
               "    esac\n"
               "    case \"$command:$prev\" in\n" + values +
               "    esac\n"
               "    case \"$command\" in\n" + options +
               "    esac\n"
               "    return 0\n"
               "}\n"
               "complete -F _orvexctl orvexctl\n";
    }
    if (shell == "zsh") {
        std::string described, branches;
        for (const CommandEntry& c : CommandTable::Commands()) {
            described += "        '" + c.name + ":" + ZshText(c.summary) + "'\n";
            branches += "        " + c.name + ")\n            _arguments";
            for (const OptionEntry& o : OptionsOf(c))
                branches += " \\\n                '*" + o.name + "[" + ZshText(o.help) + "]" + ZshAction(o) + "'";
            branches += " ;;\n";
        }
        return "#compdef orvexctl\n"
               "# zsh completion for orvexctl (written by `orvexctl completion zsh`)\n"
               "_orvexctl_addresses() {\n"
               "    local -a addresses\n"
               "    addresses=(${(f)\"$(ip -4 -o addr show 2>/dev/null | awk '{print $4}' | cut -d/ -f1)\"})\n"
               "    compadd -a addresses\n"
               "}\n"
               "_orvexctl() {\n"
               "    local -a commands\n"
               "    commands=(\n" + described +
               "    )\n"
               "    if (( CURRENT == 2 )); then\n"
               "        _describe command commands\n"
               "        return 0\n"
               "    fi\n"
               "    shift words\n"
               "    (( CURRENT-- ))\n"
               "    case $words[1] in\n" + branches +
               "    esac\n"
               "}\n"
               "_orvexctl \"$@\"\n";
    }
    return "";
}

}  // namespace orvexctl
