#include "sim/service_sim.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <limits>

#include "sim/byte_range.h"
#include "sim/hostile_names.h"
#include "sim/text_codec.h"

namespace qvpc::servicesim {
namespace {

constexpr const char* kUtf8Html = "text/html; charset=utf-8";
constexpr const char* kGbkHtml = "text/html; charset=gbk";
constexpr std::string_view kControlPrefix = "/_sim/";
constexpr size_t kRecordedBodyLimit = 64 * 1024;
constexpr const char* kUpdateFile = "update_QVPC.bin";

std::string ContentTypeOf(Endpoint endpoint) {
    switch (endpoint) {
        case Endpoint::Update:
        case Endpoint::Sql:
            return kGbkHtml;
        case Endpoint::Apk:
            return "application/vnd.android.package-archive";
        case Endpoint::Icon:
            return "image/png";
        case Endpoint::File:
            return "application/octet-stream";
        default:
            return kUtf8Html;
    }
}

// A statistics hit carries add, hot and mtime, each filled with digits.
bool HasReportFields(const RequestTarget& target) {
    for (const char* field : {"add", "hot", "mtime"}) {
        const std::optional<std::string> value = target.param(field);
        if (!value || value->empty() || !std::all_of(value->begin(), value->end(), [](char c) {
                return c >= '0' && c <= '9';
            })) {
            return false;
        }
    }
    return true;
}

bool IsFileEndpoint(Endpoint endpoint) {
    return endpoint == Endpoint::Apk || endpoint == Endpoint::Icon || endpoint == Endpoint::File;
}

// One path segment that cannot leave its folder.
bool IsSafeFileName(const std::string& name) {
    return !name.empty() && name.size() <= 255 && name[0] != '.' &&
           name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string ReasonPhrase(int status) {
    switch (status) {
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 416:
            return "Range Not Satisfiable";
        case 500:
            return "Internal Server Error";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        case 504:
            return "Gateway Timeout";
        default:
            return "Error";
    }
}

std::string ErrorPage(int status) {
    std::string title = std::to_string(status) + " " + ReasonPhrase(status);
    return "<html>\r\n<head><title>" + title + "</title></head>\r\n<body>\r\n<center><h1>" + title +
           "</h1></center>\r\n</body>\r\n</html>\r\n";
}

HttpResponse TextResponse(int status, std::string text, std::string contentType) {
    HttpResponse response;
    response.status = status;
    response.headers.emplace_back("Content-Type", std::move(contentType));
    response.body = StringBody(std::move(text));
    return response;
}

HttpResponse JsonResponse(int status, const nlohmann::json& value) {
    return TextResponse(status,
                        value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n",
                        "application/json");
}

std::string Printable(const std::string& bytes) {
    if (IsValidUtf8(bytes)) {
        return bytes;
    }
    return GbkToUtf8(bytes).value_or(std::string());
}

std::string HexOf(const std::string& bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += {kHex[b >> 4], kHex[b & 15]};
    }
    return out;
}

std::uint64_t NumberOr(const std::optional<std::string>& text, std::uint64_t fallback) {
    if (!text) {
        return fallback;
    }
    std::uint64_t value = 0;
    auto [ptr, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    return ec == std::errc() && ptr == text->data() + text->size() ? value : fallback;
}

}  // namespace

void ServiceSim::DeclareCharset(Content& content, const std::string& charset) {
    // The body goes in the charset it declares, whichever it was in.
    const bool gbkBody = content.contentType.find("gbk") != std::string::npos;
    const bool gbkDeclared = charset == "gbk" || charset == "gb2312" || charset == "GBK";
    std::string text = content.text;
    if (gbkBody && !gbkDeclared) {
        text = GbkToUtf8(text).value_or(text);
    } else if (!gbkBody && gbkDeclared) {
        text = Utf8ToGbk(text);
    }
    content.text = "<meta charset=" + charset + ">\n" + text;
    content.contentType = "text/html";
    content.body = StringBody(content.text);
}

std::optional<Endpoint> ResolveEndpoint(const std::string& path) {
    struct Route {
        std::string_view prefix;
        bool exact;
        Endpoint endpoint;
    };
    static constexpr Route kRoutes[] = {
        {"/openapi/", false, Endpoint::List},
        {"/apinew/soubaonew.php", true, Endpoint::Lookup},
        {"/api/soupackzs.php", true, Endpoint::Search},
        {"/down/apk/", false, Endpoint::Apk},
        {"/down/icon/", false, Endpoint::Icon},
        {"/down/update/", false, Endpoint::File},
        {"/getupdate.php", true, Endpoint::Update},
        {"/index.php", true, Endpoint::Stats},
    };
    for (const Route& route : kRoutes) {
        if (route.exact ? path == route.prefix : path.starts_with(route.prefix)) {
            return route.endpoint;
        }
    }
    if (path.ends_with("/sqlqvhx.php")) {
        return Endpoint::Sql;
    }
    return std::nullopt;
}

ServiceSim::ServiceSim(Catalog catalog, std::unique_ptr<RemoteSqlDatabase> database,
                       std::unique_ptr<HitLog> hits, Settings settings)
    : m_catalog(std::move(catalog)),
      m_database(std::move(database)),
      m_hits(std::move(hits)),
      m_settings(std::move(settings)) {}

void ServiceSim::setAddresses(const std::string& host,
                              const std::map<Service, std::uint16_t>& ports) {
    std::lock_guard lock(m_mutex);
    m_host = host;
    m_ports = ports;
}

PublicUrls ServiceSim::publicUrls() const {
    std::lock_guard lock(m_mutex);
    auto it = m_ports.find(Service::Download);
    std::uint16_t port = it == m_ports.end() ? 0 : it->second;
    return PublicUrls{"http://" + m_host + ":" + std::to_string(port)};
}

UpdateInfo ServiceSim::updateInfo() const {
    PublicUrls urls = publicUrls();
    std::lock_guard lock(m_mutex);
    UpdateInfo info = m_settings.update;
    if (!m_settings.updateUrlGiven) {
        info.url = urls.downloadBase + "/down/update/" + kUpdateFile;
    }
    return info;
}

nlohmann::json ServiceSim::info() const {
    PublicUrls urls = publicUrls();
    std::lock_guard lock(m_mutex);
    nlohmann::json doc;
    doc["host"] = m_host;
    auto base = [&](Service service) {
        auto it = m_ports.find(service);
        return "http://" + m_host + ":" + std::to_string(it == m_ports.end() ? 0 : it->second);
    };
    for (const auto& [service, port] : m_ports) {
        doc["ports"][std::string(ServiceName(service))] = port;
        doc["base"][std::string(ServiceName(service))] = base(service);
    }
    nlohmann::json& examples = doc["urls"];
    for (const CategoryInfo& category : Categories()) {
        examples["list"].push_back(base(Service::Catalog) + "/openapi/" +
                                   std::string(category.requestPath) + "&s=0&e=9");
    }
    examples["lookup"] = base(Service::Download) + "/apinew/soubaonew.php?packs=";
    examples["search"] = base(Service::Download) + "/api/soupackzs.php?kw=com.kestrunemarket";
    examples["apk"] = urls.downloadBase + "/down/apk/";
    examples["icon"] = urls.downloadBase + "/down/icon/";
    examples["update"] = base(Service::Update) + "/getupdate.php";
    examples["stats"] = base(Service::Stats) + "/index.php?m=&c=api&a=addpc&add=@@&hot=##&mtime=$$";
    examples["sql"] = base(Service::Sql) + "/qvhx/sqlqvhx.php";
    examples["control"] = base(Service::Control) + std::string(kControlPrefix);
    if (auto ftp = m_ports.find(Service::Ftp); ftp != m_ports.end()) {
        examples["ftp"] = "ftp://" + m_host + ":" + std::to_string(ftp->second) + "/down/apk/";
        doc["base"]["ftp"] = "ftp://" + m_host + ":" + std::to_string(ftp->second);
    }
    doc["remote_id"] = m_settings.remoteId;
    return doc;
}

HttpResponse ServiceSim::handle(const std::vector<Service>& served, const HttpRequest& request) {
    const bool servesControl =
        std::find(served.begin(), served.end(), Service::Control) != served.end();
    if (servesControl &&
        (request.target.path.starts_with(kControlPrefix) || request.target.path == "/_sim")) {
        return control(request);
    }
    nlohmann::json hit;
    hit["time_ms"] = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    hit["protocol"] = request.protocol;
    hit["method"] = request.method;
    hit["target"] = request.target.raw;
    hit["path"] = request.target.path;
    hit["query"] = nlohmann::json::object();
    for (const auto& [name, value] : request.target.query) {
        if (!hit["query"].contains(name)) {
            hit["query"][name] = value;
        }
    }
    hit["headers"] = nlohmann::json::array();
    for (const auto& [name, value] : request.headers) {
        hit["headers"].push_back({name, value});
    }
    hit["peer"] = request.peer;

    std::optional<Endpoint> endpoint = ResolveEndpoint(request.target.path);
    HttpResponse response;
    if (!endpoint ||
        std::find(served.begin(), served.end(), ServiceOf(*endpoint)) == served.end()) {
        hit["endpoint"] = "unknown";
        response = TextResponse(404, ErrorPage(404), "text/html");
    } else {
        hit["endpoint"] = EndpointName(*endpoint);
        hit["service"] = ServiceName(ServiceOf(*endpoint));
        response = serve(*endpoint, request, hit);
    }
    hit["status"] = response.status;
    hit["bytes"] = response.body ? response.body->size() : 0;
    m_hits->add(std::move(hit));
    return response;
}

HttpResponse ServiceSim::serve(Endpoint endpoint, const HttpRequest& request, nlohmann::json& hit) {
    Fault fault = m_faults.get(endpoint);
    hit["fault"] = fault.text();
    Content content;
    switch (fault.reply) {
        case Fault::Reply::Normal:
        case Fault::Reply::Huge:
            content = normalContent(endpoint, request, hit, fault);
            if ((fault.reply == Fault::Reply::Huge || fault.endless) && content.status < 300) {
                const std::uint64_t total =
                    fault.endless ? std::numeric_limits<std::uint64_t>::max() : fault.hugeBytes;
                content.body = PaddedBody(content.body ? content.body : StringBody(""), total,
                                          IsFileEndpoint(endpoint) ? '\0' : ' ');
                content.status = 200;
                std::erase_if(content.headers,
                              [](const auto& header) { return header.first == "Content-Range"; });
            }
            break;
        case Fault::Reply::MinusOne:
            content.contentType = ContentTypeOf(endpoint);
            content.body = StringBody("-1");
            break;
        case Fault::Reply::Empty:
            content.contentType = ContentTypeOf(endpoint);
            break;
        case Fault::Reply::Malformed:
            content = malformedContent(endpoint, request, hit);
            break;
        case Fault::Reply::HttpError:
            content.status = fault.httpStatus;
            content.contentType = "text/html";
            content.body = StringBody(ErrorPage(fault.httpStatus));
            break;
    }
    if (fault.metaCharset && !content.text.empty() && content.status < 300) {
        DeclareCharset(content, *fault.metaCharset);
    }
    HttpResponse response;
    response.status = content.status;
    response.unknownLength = fault.unknownLength || fault.endless;
    if (!content.contentType.empty()) {
        response.headers.emplace_back("Content-Type", content.contentType);
    }
    for (auto& header : content.headers) {
        response.headers.push_back(std::move(header));
    }
    response.body = std::move(content.body);
    response.delayMs = fault.delayMs;
    response.throttleBytesPerSecond = fault.throttleBytesPerSecond;
    response.dropAfter = fault.dropAfter;
    response.stallAfter = fault.stallAfter;
    response.byteIntervalMs = fault.byteIntervalMs;
    return response;
}

ServiceSim::Content ServiceSim::normalContent(Endpoint endpoint, const HttpRequest& request,
                                              nlohmann::json& hit, const Fault& fault) {
    Content content;
    content.contentType = ContentTypeOf(endpoint);
    switch (endpoint) {
        case Endpoint::List: {
            std::optional<std::string> list =
                ListReply(m_catalog, request.target, publicUrls(),
                          fault.jsLiteral ? JsonStyle::JsLiteral : JsonStyle::Php, fault.shape);
            if (!list) {
                content.status = 404;
                content.contentType = "text/html";
                content.body = StringBody(ErrorPage(404));
                return content;
            }
            content.text = std::move(*list);
            break;
        }
        case Endpoint::Lookup:
            content.text = LookupReply(
                m_catalog, request.target.param("packs").value_or(""), publicUrls(),
                fault.jsLiteral ? JsonStyle::JsLiteral : JsonStyle::PhpAscii, fault.shape);
            break;
        case Endpoint::Search:
            content.text = TaggedListReply(m_catalog, request.target.param("kw").value_or(""),
                                           publicUrls(), true, fault.shape.hostile);
            break;
        case Endpoint::Update: {
            const UpdateInfo info = updateInfo();
            content.contentType = UpdateContentType(info);
            content.text = UpdateReply(info);
            break;
        }
        case Endpoint::Stats:
            if (!HasReportFields(request.target)) {
                // A placeholder left in ("@@"), or cut off with the rest of
                // the address at its "#": what the real server would count
                // as garbage.
                content.status = 400;
                content.contentType = "text/html";
                content.body = StringBody(ErrorPage(400));
                return content;
            }
            content.text = "1";
            break;
        case Endpoint::Sql:
            return sqlContent(request, hit);
        case Endpoint::Apk:
        case Endpoint::Icon:
        case Endpoint::File: {
            static constexpr std::pair<Endpoint, std::string_view> kFolders[] = {
                {Endpoint::Apk, "/down/apk/"},
                {Endpoint::Icon, "/down/icon/"},
                {Endpoint::File, "/down/update/"}};
            std::string_view prefix;
            for (const auto& [value, text] : kFolders) {
                if (value == endpoint) {
                    prefix = text;
                }
            }
            std::string folder = endpoint == Endpoint::Apk    ? "apks"
                                 : endpoint == Endpoint::Icon ? "icons"
                                                              : "update";
            std::string name = request.target.path.substr(prefix.size());
            if (fault.shape.hostile && endpoint != Endpoint::File) {
                name = HostileFileTarget(name).value_or(name);
            }
            return fileContent(folder, name, content.contentType, request);
        }
    }
    content.body = StringBody(content.text);
    return content;
}

ServiceSim::Content ServiceSim::malformedContent(Endpoint endpoint, const HttpRequest& request,
                                                 nlohmann::json& hit) {
    Content content;
    content.contentType = ContentTypeOf(endpoint);
    switch (endpoint) {
        case Endpoint::List:
        case Endpoint::Lookup:
            // Cut in half: the text ends inside the object, perhaps inside a
            // character.
            content.text = normalContent(endpoint, request, hit, Fault{}).text;
            content.text.resize(content.text.size() / 2);
            break;
        case Endpoint::Search:
            // Well-formed tags, but the download URL not in its CDATA section.
            content.text = TaggedListReply(m_catalog, request.target.param("kw").value_or(""),
                                           publicUrls(), false);
            break;
        case Endpoint::Update: {
            UpdateInfo info = updateInfo();
            content.contentType = UpdateContentType(info);
            content.text = UpdateText(info, info.version + "<rb>" + info.url + "<rb>假<br>");
            break;
        }
        case Endpoint::Stats:
        case Endpoint::Sql:
            content.text =
                "<br />\n<b>Fatal error</b>:  Uncaught Error: Call to undefined function "
                "mysql_connect() in /var/www/html/index.php:3\n";
            break;
        case Endpoint::Apk:
        case Endpoint::Icon:
        case Endpoint::File:
            // What a misconfigured mirror answers with status 200.
            content.text = ErrorPage(404);
            content.contentType = "text/html";
            break;
    }
    content.body = StringBody(content.text);
    return content;
}

ServiceSim::Content ServiceSim::fileContent(const std::string& folder, const std::string& name,
                                            const std::string& contentType,
                                            const HttpRequest& request) {
    Content content;
    std::string path = m_catalog.dir() + "/" + folder + "/" + name;
    struct stat info {};
    if (!IsSafeFileName(name) || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        content.status = 404;
        content.contentType = "text/html";
        content.body = StringBody(ErrorPage(404));
        return content;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    content.contentType = contentType;
    content.headers.emplace_back("Accept-Ranges", "bytes");
    ByteRange range = ParseByteRange(request.header("Range"), size);
    if (range.kind == ByteRange::Kind::Unsatisfiable) {
        content.status = 416;
        content.contentType = "text/html";
        content.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
        content.body = StringBody(ErrorPage(416));
        return content;
    }
    if (range.kind == ByteRange::Kind::Part) {
        content.status = 206;
        content.headers.emplace_back("Content-Range",
                                     "bytes " + std::to_string(range.first) + "-" +
                                         std::to_string(range.first + range.length - 1) + "/" +
                                         std::to_string(size));
    }
    content.body = FileBody(path, range.first, range.length);
    if (!content.body) {
        content.status = 500;
        content.contentType = "text/html";
        content.headers.clear();
        content.body = StringBody(ErrorPage(500));
    }
    return content;
}

ServiceSim::Content ServiceSim::sqlContent(const HttpRequest& request, nlohmann::json& hit) {
    Content content;
    content.contentType = kGbkHtml;
    hit["body"] = Printable(request.body.substr(0, kRecordedBodyLimit));
    std::optional<RemoteSqlMessage> message;
    std::string refused;
    if (request.method == "POST") {
        // The bytes as they came, for tests that check what a client sent.
        if (std::optional<std::string> bytes = DataFieldBytes(request.body)) {
            hit["message_hex"] = HexOf(bytes->substr(0, kRecordedBodyLimit));
        }
        if (EveryByteEncoded(request.body)) {
            message = DecodeRemoteSqlBody(request.body);
        } else {
            refused = "a byte left unencoded";
        }
    }
    std::string remoteId;
    std::optional<std::string> expectedToken;
    {
        std::lock_guard lock(m_mutex);
        remoteId = m_settings.remoteId;
        expectedToken = m_settings.sqlToken;
    }
    if (message &&
        (expectedToken ? message->token != *expectedToken : !WellFormedToken(message->token))) {
        refused = "token " + message->token;
    }
    if (message) {
        hit["sql"] = {{"token", message->token},
                      {"kind", message->kind},
                      {"remote_id", message->remoteId},
                      {"operands", message->operands},
                      {"message", message->text}};
    } else {
        hit["sql"] = nullptr;
    }
    if (!refused.empty()) {
        hit["refused"] = refused;
    }
    if (!message || !refused.empty()) {
        content.text = RemoteSqlDatabase::failureReply();
    } else {
        content.text = m_database->handle(*message, remoteId);
    }
    hit["reply"] = Printable(content.text);
    content.body = StringBody(content.text);
    return content;
}

HttpResponse ServiceSim::control(const HttpRequest& request) {
    const std::string& path = request.target.path;
    const bool post = request.method == "POST";
    if (path == "/_sim" || path == "/_sim/") {
        return TextResponse(
            200,
            "servicesim control\n"
            "GET  /_sim/info                  ports and URLs\n"
            "GET  /_sim/hits[?endpoint=E&since=N]  recorded requests\n"
            "POST /_sim/hits/clear\n"
            "GET  /_sim/faults                faults in force\n"
            "POST /_sim/faults?ENDPOINT=SPEC  set faults (SPEC none clears)\n"
            "POST /_sim/faults/clear\n"
            "GET  /_sim/sql/rows?table=T      rows of app_mac or units\n"
            "POST /_sim/sql/exec              run the UTF-8 statement in the body\n"
            "POST /_sim/sql/token?expect=N    accept only token N (empty: any)\n"
            "GET  /_sim/update                the update offer\n"
            "POST /_sim/update?version=&url=&force=0|1&notes=&date=&charset=gbk|utf-8\n",
            "text/plain; charset=utf-8");
    }
    if (path == "/_sim/info") {
        return JsonResponse(200, info());
    }
    if (path == "/_sim/hits" && !post) {
        return JsonResponse(200, m_hits->list(request.target.param("endpoint"),
                                              NumberOr(request.target.param("since"), 0)));
    }
    if (path == "/_sim/hits/clear" && post) {
        m_hits->clear();
        return JsonResponse(200, {{"ok", true}});
    }
    if (path == "/_sim/faults" && !post) {
        return JsonResponse(200, m_faults.describe());
    }
    if (path == "/_sim/faults" && post) {
        // Check every pair before changing anything.
        std::vector<std::pair<Endpoint, Fault>> changes;
        for (const auto& [name, spec] : request.target.query) {
            std::optional<Endpoint> endpoint = EndpointFromName(name);
            std::string error;
            std::optional<Fault> fault = Fault::Parse(spec, error);
            if (!endpoint) {
                return JsonResponse(400, {{"ok", false}, {"error", "unknown endpoint " + name}});
            }
            if (!fault) {
                return JsonResponse(400, {{"ok", false}, {"error", error}});
            }
            changes.emplace_back(*endpoint, *fault);
        }
        for (const auto& [endpoint, fault] : changes) {
            m_faults.set(endpoint, fault);
        }
        return JsonResponse(200, m_faults.describe());
    }
    if (path == "/_sim/faults/clear" && post) {
        m_faults.clear();
        return JsonResponse(200, {{"ok", true}});
    }
    if (path == "/_sim/sql/rows") {
        std::optional<nlohmann::json> rows =
            m_database->rows(request.target.param("table").value_or(""));
        if (!rows) {
            return JsonResponse(400, {{"ok", false}, {"error", "table is app_mac or units"}});
        }
        return JsonResponse(200, *rows);
    }
    if (path == "/_sim/sql/token" && post) {
        std::lock_guard lock(m_mutex);
        std::optional<std::string> expect = request.target.param("expect");
        m_settings.sqlToken = expect && !expect->empty() ? expect : std::optional<std::string>();
        return JsonResponse(200, {{"ok", true}});
    }
    if (path == "/_sim/sql/exec" && post) {
        std::string error;
        bool ok = m_database->execute(request.body, error);
        return JsonResponse(ok ? 200 : 400, {{"ok", ok}, {"error", error}});
    }
    if (path == "/_sim/update") {
        if (post) {
            std::lock_guard lock(m_mutex);
            UpdateInfo& update = m_settings.update;
            const RequestTarget& target = request.target;
            update.version = target.param("version").value_or(update.version);
            if (std::optional<std::string> url = target.param("url")) {
                update.url = *url;
                m_settings.updateUrlGiven = true;
            }
            if (std::optional<std::string> force = target.param("force")) {
                update.force = *force == "1" || *force == "true";
            }
            update.notes = target.param("notes").value_or(update.notes);
            update.date = target.param("date").value_or(update.date);
            if (std::optional<std::string> charset = target.param("charset")) {
                update.utf8 = *charset == "utf-8";
            }
        }
        UpdateInfo update = updateInfo();
        return JsonResponse(200, {{"version", update.version},
                                  {"url", update.url},
                                  {"force", update.force},
                                  {"notes", update.notes},
                                  {"date", update.date},
                                  {"charset", update.utf8 ? "utf-8" : "gbk"}});
    }
    return JsonResponse(404, {{"ok", false}, {"error", "no such control path"}});
}

}  // namespace qvpc::servicesim
