// The system's own texts, as the tests expect them, written with universal
// character names so that the sources stay ASCII; Ansi() turns them into
// the ANSI code page (949) that the "A" functions hand out.
#pragma once

namespace texts {
constexpr const char16_t* FILE_MENU = u"\uD30C\uC77C(&F)";
constexpr const char16_t* QUIT = u"\uD504\uB85C\uADF8\uB7A8 \uC885\uB8CC(&X)";
constexpr const char16_t* RUN_MENU = u"\uC2E4\uD589(&C)";
constexpr const char16_t* TILE_ORDER = u"\uD0C0\uC77C \uC21C\uC11C \uBC14\uAFB8\uAE30(&H)...";
constexpr const char16_t* VIEW_MENU = u"\uBCF4\uAE30(&V)";
constexpr const char16_t* TOOLBAR = u"\uB3C4\uAD6C \uBAA8\uC74C(&T)\tAlt+T";
constexpr const char16_t* STATUSBAR = u"\uC0C1\uD0DC \uD45C\uC2DC\uC904(&S)\tAlt+S";
constexpr const char16_t* OPTIONS_MENU = u"\uC635\uC158(&O)";
constexpr const char16_t* FONT = u"\uD14D\uC2A4\uD2B8 \uAE00\uAF34 \uC124\uC815(&F)...";
constexpr const char16_t* EDITOR =
    u"\uBA54\uBAA8\uC7A5 \uD504\uB85C\uADF8\uB7A8 \uC9C0\uC815(&E)...";
constexpr const char16_t* HELP_MENU = u"\uB3C4\uC6C0\uB9D0(&H)";
constexpr const char16_t* ABOUT = u"\uD504\uB85C\uADF8\uB7A8 \uC815\uBCF4(&A)...";

constexpr const char16_t* HELP_60 =
    u"\uD30C\uC77C\uC744 \uC870\uC791\uD558\uB294 \uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4";
constexpr const char16_t* HELP_61 = u"\uC120\uD0DD\uB41C \uD56D\uBAA9\uC5D0 \uC758\uD574 "
                                    u"\uC2E4\uD589\uB418\uB294 \uBA85\uB839\uC774 "
                                    u"\uC788\uC2B5\uB2C8\uB2E4";
constexpr const char16_t* HELP_62 = u"\uD45C\uC2DC\uBC29\uBC95\uC744 \uC870\uC791\uD558\uB294 "
                                    u"\uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4";
constexpr const char16_t* HELP_63 = u"\uC720\uC800 \uC778\uD130\uD398\uC774\uC2A4 "
                                    u"\uC635\uC158\uC744 \uC2E4\uD589\uD558\uB294 "
                                    u"\uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4";
constexpr const char16_t* HELP_64 = u"\uB3C4\uC6C0\uB9D0\uC744 \uD45C\uC2DC\uD558\uB294 "
                                    u"\uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4";
constexpr const char16_t* HELP_40001 =
    u"\uD504\uB85C\uADF8\uB7A8\uC744 \uC885\uB8CC\uD569\uB2C8\uB2E4";
constexpr const char16_t* HELP_40002 = u"\uD504\uB85C\uADF8\uB7A8 \uC800\uC791\uAD8C "
                                       u"\uC815\uBCF4\uB97C \uD45C\uC2DC\uD569\uB2C8\uB2E4";
constexpr const char16_t* HELP_40003 =
    u"\uB3C4\uAD6C\uBAA8\uC74C\uC744 \uD45C\uC2DC\uD558\uAC70\uB098 \uC228\uAE41\uB2C8\uB2E4";
constexpr const char16_t* HELP_40004 = u"\uC0C1\uD0DC \uD45C\uC2DC\uC904\uC744 "
                                       u"\uD45C\uC2DC\uD558\uAC70\uB098 \uC228\uAE41\uB2C8\uB2E4";
constexpr const char16_t* HELP_40100 = u"\uD14D\uC2A4\uD2B8 \uCC3D\uC5D0\uC11C "
                                       u"\uC0AC\uC6A9\uD558\uB294 \uAE00\uAF34\uC744 "
                                       u"\uC124\uC815\uD569\uB2C8\uB2E4";
constexpr const char16_t* HELP_40200 =
    u"\uADF8\uB798\uD53D \uD0C0\uC77C\uC758 \uC21C\uC11C\uB97C \uBC14\uAFC9\uB2C8\uB2E4";

constexpr const char16_t* READY = u"\uC900\uBE44";
constexpr const char16_t* RUN_LABEL = u"\uC2E4\uD589";
constexpr const char16_t* AUTHOR_LABEL = u"\uB9CC\uB4E0\uC774 \uC815\uBCF4";
constexpr const char16_t* OTHER_COLOUR = u"\uAE30\uD0C0";
constexpr const char16_t* GULIMCHE = u"\uAD74\uB9BC\uCCB4";
constexpr const char16_t* GULIM = u"\uAD74\uB9BC";

constexpr const char16_t* COMCTL_TITLE = u"comctl32.dll \uD638\uD658\uC131 \uACBD\uACE0";
constexpr const char16_t* COMCTL_LINE1 =
    u"\uD504\uB85C\uADF8\uB7A8 \uC2E4\uD589\uC5D0\uB294,Microsoft Windows "
    u"9x/Me/2000/XP\uC758 OS \uD655\uC7A5\uC14B\uC778\r\n";
constexpr const char16_t* COMCTL_LINE2 =
    u"DirectX 3.0 \uC774\uC0C1\uC758 \uBC84\uC804\uC774 \uD544\uC694\uD569\uB2C8\uB2E4.\r\n";
constexpr const char16_t* COMCTL_LINE4_START = u"Microsoft\uC758 DirectX \uD648\uD398\uC774\uC9C0 ";
constexpr const char16_t* COMCTL_LINE5 =
    u"\uC5D0\uC11C DirectX \uB4DC\uB77C\uC774\uBC84\uB97C \uB2E4\uC6B4\uB85C\uB4DC\uD574\uC11C,"
    u"\uC124\uCE58\uD55C \uD6C4 \uD504\uB85C\uADF8\uB7A8\uC744 \uC2E4\uD589\uD558\uC5EC "
    u"\uC8FC\uC138\uC694.\r\n";
constexpr const char16_t* WARNING_TITLE = u"\uD504\uB85C\uADF8\uB7A8 \uACBD\uACE0";
constexpr const char16_t* CREATE_FAILED =
    u"\uD504\uB85C\uADF8\uB7A8 \uCC3D\uC744 \uB9CC\uB4DC\uB294 \uB370 "
    u"\uC2E4\uD328\uD588\uC2B5\uB2C8\uB2E4.\r\n";
constexpr const char16_t* OPENING = u"\uC774 \uD504\uB85C\uADF8\uB7A8\uC740 API \uAC15\uC88C\uC758 "
                                    u"\uC608\uC81C\uC785\uB2C8\uB2E4.\r\n\r\n"
                                    u"\uD558\uB098\uC758 \uAE30\uB2A5\uC774 "
                                    u"\uAD6C\uD604\uB418\uC5B4 \uC788\uC2B5\uB2C8\uB2E4.\r\n";

constexpr const char16_t* ABOUT_TITLE = u"\uD504\uB85C\uADF8\uB7A8 \uC815\uBCF4";
constexpr const char16_t* ABOUT_OK = u"\uD655\uC778(&O)";
constexpr const char16_t* ABOUT_TEXT =
    u"\uC774 \uD504\uB85C\uADF8\uB7A8\uC740 Win32 API\uC758 \uC608\uC81C\uC785\uB2C8\uB2E4.\r\n\r\n"
    u"Microsoft Windows XP\uC758 \uD55C\uAD6D\uC5B4 \uBC84\uC804\uC5D0\uC11C "
    u"\uAC1C\uBC1C\uB418\uC5C8\uC2B5\uB2C8\uB2E4.\r\n\r\n"
    u"Pelar\uC5D0\uC11C \uD504\uB85C\uADF8\uB7A8 \uC9C0\uC6D0\uC744 \uD558\uACE0 "
    u"\uC788\uC2B5\uB2C8\uB2E4.\r\n";
} // namespace texts
