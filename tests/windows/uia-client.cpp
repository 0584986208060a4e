// A UI Automation client, as a screen reader on Windows is one: it listens for
// focus changes anywhere on the desktop and prints what it reads of the
// element each one reaches, so that a test can check what NVDA, JAWS or
// Narrator would be told at each step. It runs beside the program (under Wine
// in the same prefix) and knows nothing of it.
//
// It prints only what it reads, one fact a line, in UTF-8, each line flushed
// at once. A line is words separated by single tabs; a tab, a line break or a
// backslash inside a value is written \t, \n or \\.
//
//   ready                                  listening; nothing earlier counts
//   focus <N> <name> <description> <id>    the N-th focus change (from 1); <id>
//                                          is the element's runtime id, its
//                                          numbers joined by dots: a reader
//                                          ignores a focus change to the
//                                          element it already has
//   current <N> <name> <description>       the element with the keyboard focus
//                                          now, N focus changes received so far
//   error <what> <HRESULT as 0x%08x>       a call that failed
//
// <name> is the element's Name, <description> its FullDescription (what Qt
// gives as QAccessible::Description, and NVDA reads after the name).
//
// It reads commands from its standard input, one a line:
//   current   (or an empty line)  prints a "current" line
// and ends when its standard input closes.
//
// MinGW-w64's headers have no IUIAutomation, so the few interfaces used are
// declared here with their methods in vtable order; the slots not called are
// only placeholders.

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

// The interfaces are implemented in uiautomationcore.dll, not here: they are
// declared outside the anonymous namespace so that the compiler does not take
// them for types that no code can implement, and calls through them for
// unreachable.
struct UiaElement : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirst(int scope, IUnknown *condition, UiaElement **found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAll(int, void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int, void *, void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int, void *, void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(long, VARIANT *) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(long property, BOOL ignoreDefault, VARIANT *value) = 0;
};

struct UiaFocusHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE HandleFocusChangedEvent(UiaElement *sender) = 0;
};

struct UiaAutomation : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(void *, void *, BOOL *) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(void *, void *, BOOL *) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(UiaElement **) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND window, UiaElement **element) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, UiaElement **) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(UiaElement **element) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElementBuildCache(void *, UiaElement **) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandleBuildCache(HWND, void *, UiaElement **) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPointBuildCache(POINT, void *, UiaElement **) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElementBuildCache(void *, UiaElement **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTreeWalker(void *, void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ControlViewWalker(void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentViewWalker(void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RawViewWalker(void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RawViewCondition(void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ControlViewCondition(void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentViewCondition(void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCacheRequest(void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTrueCondition(void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFalseCondition(void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePropertyCondition(long property, VARIANT value, IUnknown **condition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePropertyConditionEx(long, VARIANT, int, void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAndCondition(void *, void *, void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAndConditionFromArray(void *, void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAndConditionFromNativeArray(void *, int, void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOrCondition(void *, void *, void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOrConditionFromArray(void *, void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOrConditionFromNativeArray(void *, int, void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateNotCondition(void *, void **) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddAutomationEventHandler(long, void *, int, void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAutomationEventHandler(long, void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPropertyChangedEventHandlerNativeArray(void *, int, void *, void *,
                                                                                 void *, int) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPropertyChangedEventHandler(void *, int, void *, void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePropertyChangedEventHandler(void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddStructureChangedEventHandler(void *, int, void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveStructureChangedEventHandler(void *, void *) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddFocusChangedEventHandler(void *cacheRequest, UiaFocusHandler *handler) = 0;
};

namespace {

constexpr long kHasKeyboardFocus = 30008;        // UIA_HasKeyboardFocusPropertyId
constexpr long kNameProperty = 30005;            // UIA_NamePropertyId
constexpr long kRuntimeIdProperty = 30000;       // UIA_RuntimeIdPropertyId
constexpr long kFullDescriptionProperty = 30159; // UIA_FullDescriptionPropertyId

// {ff48dba4-60ef-4201-aa87-54103eef594e}
const CLSID kClsidCUIAutomation = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
// {30cbe57d-d9d0-452a-ab13-7ac5ac4825ee}
const IID kIidIUIAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
// {c270f6b5-5c69-4290-9745-7a7f97169468}
const IID kIidFocusHandler = {0xc270f6b5, 0x5c69, 0x4290, {0x97, 0x45, 0x7a, 0x7f, 0x97, 0x16, 0x94, 0x68}};

// Printing: one line at a time, whichever thread prints it.
CRITICAL_SECTION printing;
long focusEvents = 0;

std::string utf8(const std::wstring &text)
{
    std::string out;
    for (wchar_t c : text) {
        if (c == L'\\')
            out += "\\\\";
        else if (c == L'\t')
            out += "\\t";
        else if (c == L'\n')
            out += "\\n";
        else if (c == L'\r')
            out += "\\r";
        else {
            char bytes[8];
            const int n = WideCharToMultiByte(CP_UTF8, 0, &c, 1, bytes, sizeof bytes, nullptr, nullptr);
            out.append(bytes, n > 0 ? static_cast<size_t>(n) : 0);
        }
    }
    return out;
}

void printLine(const std::string &line)
{
    EnterCriticalSection(&printing);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    LeaveCriticalSection(&printing);
}

void printError(const char *what, HRESULT hr)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
    printLine(std::string("error\t") + what + "\t" + code);
}

// A string property, or "" when the element has none (or cannot be read).
// Wine 10 has only the Ex form; Windows has both.
std::wstring text(UiaElement *element, long property)
{
    VARIANT value;
    VariantInit(&value);
    std::wstring out;
    const HRESULT hr = element->GetCurrentPropertyValueEx(property, FALSE, &value);
    if (SUCCEEDED(hr) && value.vt == VT_BSTR && value.bstrVal)
        out.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return out;
}

std::string nameAndDescription(UiaElement *element)
{
    return utf8(text(element, kNameProperty)) + "\t" + utf8(text(element, kFullDescriptionProperty));
}

// Under Wine 10 GetRuntimeId gives nothing; the property holds the same numbers.
std::string runtimeId(UiaElement *element)
{
    VARIANT value;
    VariantInit(&value);
    std::string out;
    if (SUCCEEDED(element->GetCurrentPropertyValueEx(kRuntimeIdProperty, FALSE, &value)) &&
        value.vt == (VT_ARRAY | VT_I4) && value.parray) {
        LONG low = 0;
        LONG high = -1;
        SafeArrayGetLBound(value.parray, 1, &low);
        SafeArrayGetUBound(value.parray, 1, &high);
        for (LONG i = low; i <= high; ++i) {
            int number = 0;
            SafeArrayGetElement(value.parray, &i, &number);
            out += (i == low ? "" : ".") + std::to_string(number);
        }
    }
    VariantClear(&value);
    return out;
}

// Called by UI Automation on a thread of its own. The free-threaded marshaler
// lets UI Automation keep it in the global interface table without a proxy.
//
// The handler only queues the element and returns; a reader thread of the
// listener's reads and prints it. Reading it calls into the program, and
// under Wine the program, raising its next focus change, can be waiting for
// this very handler to return: reading inside it now and then froze both.
class Listener final : public UiaFocusHandler {
public:
    HRESULT init()
    {
        InitializeCriticalSection(&queue_);
        InitializeConditionVariable(&queued_);
        if (!CreateThread(nullptr, 0, &Listener::reader, this, 0, nullptr))
            return HRESULT_FROM_WIN32(GetLastError());
        return CoCreateFreeThreadedMarshaler(this, &marshaler_);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == kIidFocusHandler) {
            *out = static_cast<UiaFocusHandler *>(this);
            AddRef();
            return S_OK;
        }
        if (iid == IID_IMarshal && marshaler_)
            return marshaler_->QueryInterface(iid, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    // Lives as long as the process.
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs_)); }

    HRESULT STDMETHODCALLTYPE HandleFocusChangedEvent(UiaElement *sender) override
    {
        if (sender)
            sender->AddRef();
        EnterCriticalSection(&queue_);
        pending_.push_back(sender);
        LeaveCriticalSection(&queue_);
        WakeConditionVariable(&queued_);
        return S_OK;
    }

private:
    static DWORD WINAPI reader(void *listener)
    {
        static_cast<Listener *>(listener)->readQueued();
        return 0;
    }
    // Prints the queued focus changes in the order they came, for ever.
    void readQueued()
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (;;) {
            EnterCriticalSection(&queue_);
            while (pending_.empty())
                SleepConditionVariableCS(&queued_, &queue_, INFINITE);
            UiaElement *sender = pending_.front();
            pending_.pop_front();
            LeaveCriticalSection(&queue_);
            const std::string read =
                sender ? nameAndDescription(sender) + "\t" + runtimeId(sender) : std::string("\t\t");
            if (sender)
                sender->Release();
            EnterCriticalSection(&printing);
            const long n = ++focusEvents;
            printLine("focus\t" + std::to_string(n) + "\t" + read);
            LeaveCriticalSection(&printing);
        }
    }

    LONG refs_ = 1;
    IUnknown *marshaler_ = nullptr;
    CRITICAL_SECTION queue_;
    CONDITION_VARIABLE queued_;
    std::deque<UiaElement *> pending_; // guarded by queue_
};

// The element with the keyboard focus: the first one that has it under the
// window with the focus (or the window itself). Wine 10's GetFocusedElement
// stops at the desktop, whose providers there tell no focus; this way works
// on Windows as well.
UiaElement *focusedElement(UiaAutomation *automation)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND window = GetGUIThreadInfo(0, &info) && info.hwndFocus ? info.hwndFocus : GetForegroundWindow();
    UiaElement *root = nullptr;
    HRESULT hr = automation->ElementFromHandle(window, &root);
    if (FAILED(hr) || !root) {
        printError("ElementFromHandle", hr);
        return nullptr;
    }
    VARIANT focused;
    VariantInit(&focused);
    focused.vt = VT_BOOL;
    focused.boolVal = VARIANT_TRUE;
    IUnknown *condition = nullptr;
    UiaElement *found = nullptr;
    hr = automation->CreatePropertyCondition(kHasKeyboardFocus, focused, &condition);
    if (SUCCEEDED(hr))
        hr = root->FindFirst(4 /* TreeScope_Descendants */, condition, &found);
    if (FAILED(hr))
        printError("FindFirst", hr);
    if (condition)
        condition->Release();
    if (!found)
        return root;
    root->Release();
    return found;
}

void printCurrent(UiaAutomation *automation)
{
    UiaElement *element = focusedElement(automation);
    EnterCriticalSection(&printing);
    const long n = focusEvents;
    LeaveCriticalSection(&printing);
    printLine("current\t" + std::to_string(n) + "\t" + (element ? nameAndDescription(element) : std::string("\t")));
    if (element)
        element->Release();
}

std::string trimmed(const char *line)
{
    std::string out(line);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
        out.pop_back();
    return out;
}

} // namespace

int main()
{
    InitializeCriticalSection(&printing);
    // Lines end in \n alone, as the tests reading them expect.
    _setmode(_fileno(stdout), _O_BINARY);
    // The multithreaded apartment: the handler is called on UI Automation's
    // own thread, and the main thread only reads its input.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(hr)) {
        printError("CoInitializeEx", hr);
        return 1;
    }
    UiaAutomation *automation = nullptr;
    hr = CoCreateInstance(kClsidCUIAutomation, nullptr, CLSCTX_INPROC_SERVER, kIidIUIAutomation,
                          reinterpret_cast<void **>(&automation));
    if (FAILED(hr) || !automation) {
        printError("CoCreateInstance(CUIAutomation)", hr);
        return 1;
    }
    auto *listener = new Listener;
    hr = listener->init();
    if (SUCCEEDED(hr))
        hr = automation->AddFocusChangedEventHandler(nullptr, listener);
    if (FAILED(hr)) {
        printError("AddFocusChangedEventHandler", hr);
        return 1;
    }
    printLine("ready");

    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        const std::string command = trimmed(line);
        if (command.empty() || command == "current")
            printCurrent(automation);
        else
            printLine("error\tunknown command " + utf8(std::wstring(command.begin(), command.end())) + "\t0x80070057");
    }
    // Input closed: end at once, without waiting for UI Automation's threads
    // to wind down.
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}
