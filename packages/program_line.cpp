#include "packages/program_line.h"

#include "engine/engine.h"
#include "engine/message_output.h"

void WriteProgramLine(DWORD messageId, const std::wstring& program, const std::wstring& subject,
                      const std::wstring& reason) {
  WriteEngineMessage(TEXT_STDERR, messageId, ProgramBaseName(program.c_str()), ShownText(subject.c_str()).c_str(),
                     reason.c_str());
}
