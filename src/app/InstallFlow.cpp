#include "app/InstallFlow.h"

#include "resource.h"
#include "win32/Text.h"

#include <cstring>

std::wstring RecommendText(int languageId, const std::wstring& editionName, const std::wstring& archName)
{
    const wchar_t* format = languageId == kChineseLanguageId
                                ? L"您正使用的是%ls %ls系统。\n推荐选择%ls进行安装。"
                                : L" Você está usando SO %ls %ls. Por favor selecione %ls para instalar.";
    return win32::Format(format, editionName.c_str(), archName.c_str(), editionName.c_str());
}

int OsIndexForEdition(const char* const (&editionNames)[9], const char* detectedEdition, int currentOsIndex)
{
    // Windows 2000 and the Windows 10 names share the first radio; 8 and 8.1 share "Windows 8/8.1".
    static const int kOsIndexByEdition[9] = {0, 1, 2, 3, 4, 5, 5, 0, 0};
    for (int i = 0; i < 9; ++i) {
        if (detectedEdition && editionNames[i] == detectedEdition) return kOsIndexByEdition[i];
    }
    return currentOsIndex;
}

const wchar_t kPortugueseOptionsTitle[] = L"Configuração de Instalação";

const ControlCaption* PortugueseCaptions(size_t& count)
{
    static const ControlCaption kCaptions[] = {
        {IDC_OS_GROUP, L"Selecionar SO Windows"},
        {IDC_DRIVER_KIND_GROUP, L"Select Install Port"},
        {IDC_SERIAL_DRIVER, L"Install USB Virtual Serial Port Driver"},
        {IDC_PRINTER_DRIVER, L"Select POS-Printer Type"},
        {IDC_MODEL_GROUP, L"Selecione a Série da Impressora"},
        {IDC_MODEL_ROW3, L"TPR-80C"},
        {IDC_SET_DEFAULT, L"Definir Impressora Padrão"},
        {IDC_START_INSTALL, L"Instalar Agora"},
        {IDC_EXIT, L"Cancelar"},
        {IDC_DETECT_USB_PORT, L"Verificar Porta USB"},
        {IDC_REMARK, L"*Remarks: \"C\" means item with cutter"},
        {IDC_INTERFACE_LABEL, L"Interface da Impressora:"},
        {IDC_INTERFACE_OTHER, L"Outro"},
    };
    count = sizeof(kCaptions) / sizeof(kCaptions[0]);
    return kCaptions;
}

const wchar_t* FlowText(FlowMessage message, int languageId)
{
    const bool chinese = languageId == kChineseLanguageId;
    switch (message) {
    case FlowMessage::NoModel:
        return chinese ? L"请选择一个打印机型号！" : L"Selecione a Série da Impressora";
    case FlowMessage::InstallFailed:
        return chinese ? L"安装失败！" : L"Falha na instalação !";
    case FlowMessage::ConfigureQuestion:
        return chinese ? L"安装成功！\n是否要对打印机进行端口设置？"
                       : L"Bem sucedido!\nGostaria de configurar a impressora agora ?";
    case FlowMessage::TestPageQuestion:
        return chinese ? L"安装成功！\n是否要打印测试页？" : L"Bem sucedido!\nSe quer imprimir a página de teste ?";
    }
    return L"";
}

std::string ChoosePort(int interfaceIndex, bool (*findUsbPort)(std::string& portName))
{
    std::string port = "LPT1:";
    if (interfaceIndex == 0) {
        std::string usbPort;
        if (findUsbPort(usbPort)) port = usbPort;
    }
    return port;
}

FlowMessage QuestionAfterInstall(const std::string& portName)
{
    return !portName.empty() && portName[0] == 'L' ? FlowMessage::ConfigureQuestion : FlowMessage::TestPageQuestion;
}

INT_PTR EndCodeAfterAnswer(FlowMessage question, int answer)
{
    return question == FlowMessage::ConfigureQuestion && answer == IDYES ? IDOK : IDCANCEL;
}

bool PrintsTestPage(FlowMessage question, int answer)
{
    return question == FlowMessage::TestPageQuestion && answer != IDNO;
}

OptionsEndAction ActionOnOptionsEnd(INT_PTR endCode, int driverKind, const std::wstring& resultPrinterName)
{
    if (endCode == IDCANCEL) return OptionsEndAction::CloseProgram;
    if (endCode == IDOK && driverKind == 1) {
        // Enter in the form before any install ends it with IDOK but no printer: there is no
        // properties window to open, so the run is over.
        return resultPrinterName.empty() ? OptionsEndAction::CloseProgram : OptionsEndAction::OpenProperties;
    }
    return OptionsEndAction::StayOpen;
}

std::string DecipherHiddenMessage(const unsigned char* bytes, size_t size, const unsigned char (&key)[3])
{
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(bytes[i] ^ key[i % 3]);
    return text;
}

std::wstring HiddenMessage()
{
    // Kept enciphered so that the text does not show in the program file.
    static const unsigned char kKey[3] = {0x5A, 0xC3, 0x17};
    static const unsigned char kEnciphered[] = {
        0x0E, 0xAA, 0x7B, 0x36, 0xB5, 0x76, 0x34, 0xA6, 0x37, 0x0C, 0xF4, 0x39, 0x6B, 0xF4, 0x37, 0x77, 0xE3,
        0x7A, 0x3B, 0xA7, 0x72, 0x7A, 0xB4, 0x7E, 0x2E, 0xAB, 0x37, 0x39, 0xA2, 0x65, 0x3F, 0xE3, 0x75, 0x23,
        0xE3, 0x63, 0x32, 0xA6, 0x37, 0x0C, 0xA6, 0x7B, 0x2E, 0xAC, 0x37, 0x2E, 0xA6, 0x76, 0x37, 0xED,
    };
    char buffer[53] = {};  // at most 52 bytes and the terminator
    const std::string text = DecipherHiddenMessage(kEnciphered, sizeof(kEnciphered), kKey);
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result): at most sizeof(buffer) - 1 bytes into a zeroed buffer
    std::memcpy(buffer, text.data(), text.size() < sizeof(buffer) ? text.size() : sizeof(buffer) - 1);
    wchar_t wide[64] = {};
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, buffer, -1, wide, 64);
    return wide;
}
