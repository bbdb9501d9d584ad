#include "web_server.hpp"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <future>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include <nlohmann/json.hpp>

#include "commands.hpp"
#include "model_directories.hpp"
#include "model_picture.hpp"
#include "plugin_loader.hpp"
#include "web_assets.hpp"
#include "xeq_host.h"
#include "xeq_ui.hpp"

namespace xeqhost {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

struct Reply {
    int status = 200;
    std::string body;
    std::string type = "application/json";
};

Reply json_reply(const json& body, int status = 200) { return {status, body.dump(), "application/json"}; }
Reply error_reply(const std::string& why, int status) { return json_reply({{"error", why}}, status); }

// ---- the queue between the HTTP workers and the UI thread -----------------------

// HTTP workers only queue requests; the UI thread, where every plug-in
// handler runs, carries them out one at a time. A handler blocked on a
// prompt keeps taking requests through the event loop, so the page can
// answer it.
class RequestQueue {
public:
    using Job = std::function<Reply()>;

    // From a worker: waits until the UI thread has carried the job out, or
    // has released it early because it waits for the user (see release).
    Reply run(Job job) {
        auto entry = std::make_shared<Entry>();
        entry->job = std::move(job);
        std::future<Reply> reply = entry->reply.get_future();
        {
            std::lock_guard lock(mutex_);
            if (closed_) return error_reply("the server is stopping", 503);
            waiting_.push_back(entry);
        }
        ready_.notify_one();
        try {
            return reply.get();
        } catch (const std::future_error&) {
            return error_reply("the server stopped before carrying the request out", 503);
        }
    }

    // From the UI thread: carries out the next request; false once closed.
    bool serve_one() {
        release_running(); // an act running below this one waits for the user
        std::shared_ptr<Entry> entry;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return closed_ || !waiting_.empty(); });
            if (closed_) return false;
            entry = waiting_.front();
            waiting_.pop_front();
        }
        running_.push_back(entry);
        Reply reply = entry->job();
        running_.pop_back();
        if (!entry->released) entry->reply.set_value(std::move(reply));
        else if (reply.status != 200) late_error(reply);
        return true;
    }

    void close() {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
            waiting_.clear(); // their workers learn it from the broken promise
        }
        ready_.notify_all();
    }

private:
    struct Entry {
        Job job;
        std::promise<Reply> reply;
        bool released = false;
    };

    // The act the UI thread is inside of is held in a prompt's wait: its
    // page gets its answer now, so that it can go on and answer the prompt.
    void release_running() {
        if (running_.empty() || running_.back()->released) return;
        running_.back()->released = true;
        running_.back()->reply.set_value(json_reply({{"error", ""}, {"waiting", true}}));
    }

    // Why an act failed after its page was answered: into the event log,
    // where the page shows messages.
    static void late_error(const Reply& reply) {
        const json body = json::parse(reply.body, nullptr, false);
        if (body.is_object() && body.contains("error"))
            Xeq_Host_Event_Add(("error: " + body["error"].get<std::string>()).c_str());
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::shared_ptr<Entry>> waiting_;
    bool closed_ = false;
    std::vector<std::shared_ptr<Entry>> running_; // UI thread only, innermost last
};

// ---- the directories the page may see -------------------------------------------

// Choosers show the model directories and the directory the server
// started in, and nothing outside them.
class AllowedDirectories {
public:
    AllowedDirectories() : start_(fs::current_path()) {}

    std::vector<fs::path> roots() const {
        std::vector<fs::path> roots{start_};
        for (const std::string& dir : model_directories()) {
            std::error_code error;
            const fs::path real = fs::canonical(fs::absolute(dir, error), error);
            if (!error && fs::is_directory(real) && std::find(roots.begin(), roots.end(), real) == roots.end())
                roots.push_back(real);
        }
        return roots;
    }

    // The path made absolute with its links resolved (a file that does not
    // exist yet by its directory), or nullopt when it lies outside.
    std::optional<fs::path> resolve(const std::string& text) const {
        if (text.empty()) return std::nullopt;
        std::error_code error;
        const fs::path path = fs::absolute(fs::path(text), error).lexically_normal();
        if (error) return std::nullopt;
        fs::path real = fs::weakly_canonical(path, error);
        if (error) return std::nullopt;
        for (const fs::path& root : roots())
            if (inside(real, root)) return real;
        return std::nullopt;
    }

private:
    static bool inside(const fs::path& path, const fs::path& root) {
        return std::mismatch(root.begin(), root.end(), path.begin(), path.end()).first == root.end();
    }

    fs::path start_;
};

// ---- the page's view of the user-interface model --------------------------------

const char* const kKindNames[] = {"edit", "toggle", "popup", "button", "table", "label"};

std::string hex_color(XeqT_Color color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(color & 0xFFFFFF));
    return text;
}

json bounds_json(const XeqT_Dbox_Bounds& b) { return {{"x", b.x}, {"y", b.y}, {"width", b.width}, {"height", b.height}}; }

json table_json(const xeq::ui::TableView& t) {
    json backgrounds = json::array();
    for (const auto& b : t.backgrounds) backgrounds.push_back(b ? json(hex_color(*b)) : json(nullptr));
    return {{"widths", t.widths}, {"header", t.header}, {"rows", t.rows}, {"backgrounds", backgrounds}};
}

json control_json(const xeq::ui::ControlView& c) {
    json out = {{"name", c.name},     {"kind", kKindNames[static_cast<int>(c.kind)]},
                {"label", c.label},   {"text", c.text},
                {"value", c.value},   {"entries", c.entries},
                {"acts", c.acts},     {"at", bounds_json(c.at)}};
    if (c.table) out["table"] = table_json(*c.table);
    return out;
}

// A window's id in the page: its handle's value, looked up among the open
// windows before use, so that a stale or made-up id is only an error.
std::string window_id(XeqT_Dbox dbox) { return std::to_string(reinterpret_cast<std::uintptr_t>(dbox)); }

json window_json(const xeq::ui::DialogView& v) {
    static const char* const kinds[] = {"dialog", "prompt", "chooser"};
    json out = {{"id", window_id(v.handle)},       {"kind", kinds[static_cast<int>(v.kind)]},
                {"name", v.name},                  {"title", v.title},
                {"visible", v.visible},            {"blocked", v.blocked},
                {"bounds", bounds_json(v.bounds)}, {"controls", json::array()}};
    for (const auto& c : v.controls) out["controls"].push_back(control_json(c));
    if (v.kind == xeq::ui::DialogKind::Prompt) {
        out["lines"] = v.lines;
        out["buttons"] = v.buttons;
    }
    if (v.kind == xeq::ui::DialogKind::Chooser) {
        out["directory"] = v.chooser_mode == 1;
        out["save"] = v.chooser_save;
        out["start_dir"] = v.start_dir;
        out["file_types"] = v.file_types;
    }
    return out;
}

// Carries out the page's requests on the UI thread.
class Face {
public:
    explicit Face(Session& session) : session_(session) {}

    // What the page shows; the picture only when it differs from the one
    // the page has (by its hash), the events from the page's count on.
    Reply state(int events_from, const std::string& picture_hash) const {
        json windows = json::array();
        for (XeqT_Dbox d : xeq::ui::dialogs())
            if (const auto v = xeq::ui::view(d)) windows.push_back(window_json(*v));
        json menu = json::array();
        for (const auto& item : xeq::ui::menu()) menu.push_back(item.text);
        const int count = Xeq_Host_Event_Count();
        json events = json::array();
        for (int i = std::clamp(events_from, 0, count); i < count; ++i) events.push_back(Xeq_Host_Event_Get(i));
        const std::string svg = model_picture_svg(session_.model());
        const std::string hash = std::to_string(std::hash<std::string>{}(svg));
        json out = {{"model", Xeq_Host_Model_Path_Get(session_.model())},
                    {"windows", windows},
                    {"menu", menu},
                    {"events", events},
                    {"event_count", count},
                    {"picture_hash", hash}};
        if (const auto popup = xeq::ui::popup_menu()) out["popup"] = *popup;
        if (hash != picture_hash) out["picture"] = svg;
        return json_reply(out);
    }

    // One act of the user: {"act": ..., and its fields}. The reply's
    // "error" is empty when it was done, else why not.
    Reply act(const json& request) {
        try {
            const std::string error = carry_out(request);
            return json_reply({{"error", error}}, error.empty() ? 200 : 422);
        } catch (const json::exception&) {
            return error_reply("the act lacks a field or has one of the wrong type", 400);
        }
    }

    // A directory's entries for a chooser.
    Reply files(const std::string& dir) const {
        const auto real = allowed_.resolve(dir.empty() ? fs::current_path().string() : dir);
        if (!real || !fs::is_directory(*real)) return error_reply("'" + dir + "' is not a directory the page may see", 403);
        json entries = json::array();
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(*real, error))
            entries.push_back({{"name", entry.path().filename().string()}, {"directory", entry.is_directory()}});
        std::sort(entries.begin(), entries.end(), [](const json& a, const json& b) { return a["name"] < b["name"]; });
        json roots = json::array();
        for (const fs::path& root : allowed_.roots()) roots.push_back(root.string());
        json out = {{"dir", real->string()}, {"entries", entries}, {"roots", roots}};
        if (allowed_.resolve(real->parent_path().string())) out["parent"] = real->parent_path().string();
        return json_reply(out);
    }

private:
    static XeqT_Dbox window_named(const json& request, std::string* error) {
        const std::string id = request.at("dialog").get<std::string>();
        for (XeqT_Dbox d : xeq::ui::dialogs())
            if (window_id(d) == id) return d;
        *error = "no open window with id '" + id + "' (it may have closed)";
        return nullptr;
    }

    template <typename Act>
    static std::string on_window(const json& request, Act act) {
        std::string error;
        const XeqT_Dbox d = window_named(request, &error);
        return d ? act(d) : error;
    }

    static std::string text(const json& request, const char* field) { return request.at(field).get<std::string>(); }

    std::string carry_out(const json& r) {
        using namespace xeq::ui;
        const std::string act = text(r, "act");
        if (act == "type") return on_window(r, [&](XeqT_Dbox d) { return type_text(d, text(r, "control"), text(r, "text")); });
        if (act == "toggle") return on_window(r, [&](XeqT_Dbox d) { return set_toggle(d, text(r, "control"), r.at("on").get<bool>()); });
        if (act == "pick") return on_window(r, [&](XeqT_Dbox d) { return pick_entry(d, text(r, "control"), text(r, "entry")); });
        if (act == "press") return on_window(r, [&](XeqT_Dbox d) { return press(d, text(r, "control")); });
        if (act == "move")
            return on_window(r, [&](XeqT_Dbox d) { return move(d, r.at("x").get<int>(), r.at("y").get<int>()); });
        if (act == "close") return on_window(r, [](XeqT_Dbox d) { return xeq::ui::close(d); });
        if (act == "answer") return on_window(r, [&](XeqT_Dbox d) { return answer(d, text(r, "button")); });
        if (act == "choose") return on_window(r, [&](XeqT_Dbox d) { return choose_allowed(d, text(r, "path")); });
        if (act == "cancel") return on_window(r, [](XeqT_Dbox d) { return xeq::ui::cancel(d); });
        if (act == "popup") return pick_popup(text(r, "entry"));
        if (act == "dismiss") return dismiss_popup();
        if (act == "menu") return run_menu_item(text(r, "item"));
        if (act == "click") return click_object(text(r, "object"), text(r, "button"));
        if (act == "save") return save();
        return "no act '" + act + "'";
    }

    std::string choose_allowed(XeqT_Dbox chooser, const std::string& path) const {
        const auto real = allowed_.resolve(path);
        if (!real) return "'" + path + "' lies outside the directories the page may use";
        return xeq::ui::choose(chooser, real->string());
    }

    std::string click_object(const std::string& name, const std::string& button) const {
        if (button != "left" && button != "right") return "a click is left or right";
        const XeqT_Obj_Handle obj = Xeq_Obj_From_Hname_Get(session_.model(), name.c_str());
        if (Xeq_Obj_Invalid(obj)) return "the model has no object '" + name + "'";
        return xeq::ui::click(obj, button == "left" ? xeq::ui::kClickSelect : xeq::ui::kClickMenu);
    }

    std::string save() const {
        const std::string path = Xeq_Host_Model_Path_Get(session_.model());
        char error[1024] = "";
        if (!Xeq_Host_Model_Save(session_.model(), path.c_str(), error, sizeof error)) return error;
        Xeq_Host_Event_Add(("saved " + path).c_str());
        return {};
    }

    Session& session_;
    AllowedDirectories allowed_;
};

// ---- HTTP ----------------------------------------------------------------------

std::string random_token() {
    std::random_device random;
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", random());
        token += part;
    }
    return token;
}

// The number text is, or fallback when it is none.
int whole_number(const std::string& text, int fallback) {
    size_t used = 0;
    try {
        const int n = std::stoi(text, &used);
        return used == text.size() ? n : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}

// The HTTP side: listens on a thread of its own, its workers checking the
// token and queuing the requests. Stops and joins when destroyed, after
// closing the queue so that no worker still waits on it.
class HttpServer {
public:
    HttpServer(const ServeOptions& options, RequestQueue& queue, Face& face) : token_(random_token()), queue_(queue) {
        server_.new_task_queue = [] { return new httplib::ThreadPool(16); };
        server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            const std::string given = req.has_param("token") ? req.get_param_value("token") : req.get_header_value("X-Token");
            if (given == token_) return httplib::Server::HandlerResponse::Unhandled;
            send(res, error_reply("this address needs the session's token: open the address xeqhost serve printed", 403));
            return httplib::Server::HandlerResponse::Handled;
        });
        server_.Get("/", [this](const httplib::Request&, httplib::Response& res) {
            std::string page(web_asset("index.html"));
            for (size_t at; (at = page.find("@TOKEN@")) != std::string::npos;) page.replace(at, 7, token_);
            send(res, {200, page, "text/html; charset=utf-8"});
        });
        server_.Get("/app.js", [](const httplib::Request&, httplib::Response& res) {
            send(res, {200, std::string(web_asset("app.js")), "text/javascript; charset=utf-8"});
        });
        server_.Get("/style.css", [](const httplib::Request&, httplib::Response& res) {
            send(res, {200, std::string(web_asset("style.css")), "text/css; charset=utf-8"});
        });
        server_.Get("/api/state", [&queue, &face](const httplib::Request& req, httplib::Response& res) {
            const int from = whole_number(req.get_param_value("events"), 0);
            const std::string hash = req.get_param_value("picture");
            send(res, queue.run([&] { return face.state(from, hash); }));
        });
        server_.Get("/api/files", [&queue, &face](const httplib::Request& req, httplib::Response& res) {
            const std::string dir = req.get_param_value("dir");
            send(res, queue.run([&] { return face.files(dir); }));
        });
        server_.Post("/api/act", [&queue, &face](const httplib::Request& req, httplib::Response& res) {
            const json request = json::parse(req.body, nullptr, false);
            if (!request.is_object()) return send(res, error_reply("the act is not a JSON object", 400));
            send(res, queue.run([&] { return face.act(request); }));
        });
        port_ = options.port == 0 ? server_.bind_to_any_port(options.address)
                                  : (server_.bind_to_port(options.address, options.port) ? options.port : -1);
        if (port_ < 0)
            throw HostError("cannot listen on " + options.address + ":" + std::to_string(options.port));
        address_ = options.address;
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }

    ~HttpServer() {
        queue_.close();
        server_.stop();
        thread_.join();
    }
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::string page_address() const {
        return "http://" + address_ + ":" + std::to_string(port_) + "/?token=" + token_;
    }

private:
    static void send(httplib::Response& res, const Reply& reply) {
        res.status = reply.status;
        res.set_header("Cache-Control", "no-store");
        res.set_content(reply.body, reply.type.c_str());
    }

    std::string token_;
    RequestQueue& queue_;
    std::string address_;
    int port_ = -1;
    httplib::Server server_;
    std::thread thread_;
};

// SIGINT and SIGTERM end the server: they are blocked in every thread (the
// threads made later inherit the mask) and taken by a watcher thread of
// their own, which closes the queue. Restores the mask when destroyed.
class StopSignals {
public:
    StopSignals() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    }
    ~StopSignals() {
        if (watcher_.joinable()) {
            done_ = true;
            watcher_.join();
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    void watch(RequestQueue& queue) {
        watcher_ = std::thread([this, &queue] {
            const timespec tick{0, 200'000'000};
            while (!done_)
                if (sigtimedwait(&set_, nullptr, &tick) > 0) queue.close();
        });
    }

private:
    sigset_t set_{}, previous_{};
    std::atomic<bool> done_{false};
    std::thread watcher_;
};

} // namespace

int serve(const ServeOptions& options) {
    StopSignals signals; // before any thread starts
    Session session(options.session);
    Face face(session);
    RequestQueue queue;
    signals.watch(queue);
    HttpServer http(options, queue, face);
    std::printf("xeqhost serve: %s\nopen %s\n", Xeq_Host_Model_Path_Get(session.model()), http.page_address().c_str());
    std::fflush(stdout);
    const int echo = Xeq_Host_Echo_Get();
    Xeq_Host_Echo_Set(0); // the page shows the events
    xeq::ui::set_event_loop([&queue] { return queue.serve_one(); });
    while (queue.serve_one()) {
    }
    xeq::ui::set_event_loop(nullptr);
    Xeq_Host_Echo_Set(echo);
    return 0;
}

int run_serve(const Args& args) {
    if (args.words.size() != 1) throw HostError("serve takes one model file");
    ServeOptions options;
    options.session.model = args.words[0];
    const auto plugins = args.all.find("plugin");
    options.session.plugins = plugins != args.all.end() ? plugins->second : std::vector<std::string>{"nbx"};
    if (const std::string address = args.optional("address"); !address.empty()) options.address = address;
    const std::string port = args.optional("port");
    options.port = port.empty() ? 0 : whole_number(port, -1);
    if (options.port < 0 || options.port > 65535) throw HostError("--port takes a port number (0: any free port)");
    return serve(options);
}

} // namespace xeqhost
