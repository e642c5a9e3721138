#pragma once

class YString;

// The one exception type of the library and the program: a kind, the source file and line of the
// throw and, for platform failures, the platform's error code. Thrown and caught by value.
class YSystemException {
public:
    enum : int {
        KindUnknown = 1,          // a formatted text did not fit, or a call that reports its own result failed
        KindNoMemory = 2,
        KindSystem = 3,           // a platform call failed; SystemError() holds its code
        KindGui = 4,
        KindOutOfRange = 5,
        KindIllegalParameter = 6,
        KindNullPointer = 7,
    };

    // For kind 3 the calling thread's last platform error is taken here, so the exception must be
    // constructed directly after the failing call.
    YSystemException(int kind, int line, const char* sourceFile);

    int Kind() const { return kind; }
    unsigned SystemError() const { return systemError; }
    int Line() const { return line; }
    const char* SourceFile() const { return sourceFile; }

    // The report's text: the kind's text (for kind 3 followed by a line feed and the platform's
    // text for the code), then a blank line, "File: ..." and "Line: ...".
    YString Message() const;

#ifdef _WIN32
    // Shows Message() in a message box titled "Exception" with the error icon, owned by the active
    // window; returns when the user has closed it.
    void Report() const;
#endif

private:
    static unsigned LastSystemError();
    static YString SystemErrorText(unsigned code);

    int kind;
    unsigned systemError;
    int line;
    const char* sourceFile;
};
