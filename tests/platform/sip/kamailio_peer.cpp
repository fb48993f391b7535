#include "kamailio_peer.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "temp_dir.h"

namespace orvia::sip::test {
namespace {

std::string Config(const std::string& folder, int port, int retryAfterSeconds) {
    std::string modules;
    for (const char* module : {"tm", "sl", "rr", "maxfwd", "textops", "siputils", "pv", "xlog",
                               "usrloc", "registrar", "db_text", "auth", "auth_db"})
        modules += std::string("loadmodule \"") + module + ".so\"\n";
    return "#!KAMAILIO\n"
           "debug=2\n"
           "log_stderror=yes\n"
           "children=2\n"
           "disable_tcp=yes\n"
           "listen=udp:127.0.0.1:" +
           std::to_string(port) +
           "\n"
           "mpath=\"/usr/lib/x86_64-linux-gnu/kamailio/modules/\"\n" +
           modules + "modparam(\"auth_db\", \"db_url\", \"text://" + folder +
           "db\")\n"
           "modparam(\"auth_db\", \"calculate_ha1\", 1)\n"
           "modparam(\"auth_db\", \"password_column\", \"password\")\n"
           "modparam(\"auth_db\", \"load_credentials\", \"\")\n"
           "modparam(\"usrloc\", \"db_mode\", 0)\n"
           "request_route {\n"
           "    if (!mf_process_maxfwd_header(\"10\")) { sl_send_reply(\"483\", \"Too Many "
           "Hops\"); "
           "exit; }\n"
           "    if (has_totag()) {\n"
           "        if (loose_route()) { t_relay(); exit; }\n"
           "        if (is_method(\"ACK\")) { if (t_check_trans()) t_relay(); exit; }\n"
           "        sl_send_reply(\"404\", \"Not here\"); exit;\n"
           "    }\n"
           "    if (is_method(\"CANCEL\")) { if (t_check_trans()) t_relay(); exit; }\n"
           "    if (is_method(\"REGISTER\")) {\n"
           "        if (!www_authorize(\"$td\", \"subscriber\")) {\n"
           "            append_to_reply(\"Retry-After: " +
           std::to_string(retryAfterSeconds) +
           "\\r\\n\");\n"
           "            www_challenge(\"$td\", \"0\");\n"
           "            exit;\n"
           "        }\n"
           "        consume_credentials();\n"
           "        if (!save(\"location\")) sl_reply_error();\n"
           "        exit;\n"
           "    }\n"
           "    if (!proxy_authorize(\"$fd\", \"subscriber\")) { proxy_challenge(\"$fd\", \"0\"); "
           "exit; }\n"
           "    consume_credentials();\n"
           "    record_route();\n"
           "    if (!lookup(\"location\")) { sl_send_reply(\"404\", \"Not Found\"); exit; }\n"
           "    t_relay();\n"
           "}\n";
}

}  // namespace

bool KamailioPeer::Start(const std::string& folder, const std::vector<SipUser>& users,
                         int retryAfterSeconds) {
    port_ = FreePort();
    const std::string db = folder + "db/";
    if (::mkdir(db.c_str(), 0700) != 0)
        return false;
    std::string subscribers = "id(int,auto) username(string) domain(string) password(string)\n";
    int id = 1;
    for (const SipUser& user : users)
        subscribers +=
            std::to_string(id++) + ":" + user.name + ":127.0.0.1:" + user.password + "\n";
    if (!orvia::test::WriteFile(db + "version",
                                "table_name(string) table_version(int)\nsubscriber:7\n") ||
        !orvia::test::WriteFile(db + "subscriber", subscribers) ||
        !orvia::test::WriteFile(folder + "kamailio.cfg", Config(folder, port_, retryAfterSeconds)))
        return false;
    if (!process_.Start({"kamailio", "-f", folder + "kamailio.cfg", "-DD", "-E", "-Y", folder, "-P",
                         folder + "kamailio.pid"},
                        folder, "kamailio.log"))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!LoopbackPortFree(port_, false))  // kamailio listens
            return true;
        if (process_.Wait(0))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string KamailioPeer::Uri() const {
    return "sip:127.0.0.1:" + std::to_string(port_);
}

}  // namespace orvia::sip::test
