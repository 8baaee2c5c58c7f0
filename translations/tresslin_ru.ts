<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>Папка</translation>
    </message>
    <message>
        <source>Unknown</source>
        <comment>All other platforms</comment>
        <translation>Неизвестно</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Диск</translation>
    </message>
</context>
<context>
    <name>Sync</name>
    <message>
        <source>the key file cannot be written</source>
        <translation>файл ключа не удаётся записать</translation>
    </message>
    <message>
        <source>built without a secret store</source>
        <translation>программа собрана без хранилища секретов</translation>
    </message>
    <message>
        <source>Registered and logged in</source>
        <translation>Зарегистрирован, вход выполнен</translation>
    </message>
    <message>
        <source>Logged in</source>
        <translation>Вход выполнен</translation>
    </message>
    <message>
        <source>That user name is taken</source>
        <translation>Это имя пользователя уже занято</translation>
    </message>
    <message>
        <source>Wrong user name or password</source>
        <translation>Неверное имя пользователя или пароль</translation>
    </message>
    <message>
        <source>The server cannot be reached: </source>
        <translation>Сервер недоступен: </translation>
    </message>
    <message>
        <source>The server&apos;s answer is not a sync server&apos;s</source>
        <translation>Ответ сервера не похож на ответ сервера синхронизации</translation>
    </message>
    <message>
        <source>The server refused: HTTP </source>
        <translation>Сервер отказал: HTTP </translation>
    </message>
    <message>
        <source>No secret store answers (%1): the key is not kept</source>
        <translation>Хранилище секретов не отвечает (%1): ключ не сохранён</translation>
    </message>
    <message>
        <source>Usage: tresslin %1 SERVER USER  (the password on standard input)</source>
        <translation>Использование: tresslin %1 СЕРВЕР ПОЛЬЗОВАТЕЛЬ  (пароль на стандартном вводе)</translation>
    </message>
    <message>
        <source>A user name (without &apos;:&apos;) and a password are needed</source>
        <translation>Нужны имя пользователя (без «:») и пароль</translation>
    </message>
</context>
<context>
    <name>tresslin::App</name>
    <message>
        <source>Usage: tresslin [BOOK]
       tresslin --activate
Shows a Russian plain-text book one line at a time in a one-line window.

  BOOK        the text file to open; all arguments together form one path
              (to open a file named --help, write ./--help)
  --help      show this help and exit
  --version   show the version and exit
  --activate  bring the running Tresslin&apos;s window back (restored and active) and
              exit; with none running, start one. Bind it to a key in the
              desktop&apos;s keyboard settings where keypad plus cannot reach Tresslin
              (Wayland): GNOME Settings &gt; Keyboard &gt; Custom Shortcuts; KDE System
              Settings &gt; Shortcuts &gt; Custom Shortcuts (or Add Command); Sway:
              bindsym KP_Add exec tresslin --activate

Without BOOK the last book is offered: press Ctrl+G to reopen it, F1 for the keys.
Settings: $XDG_CONFIG_HOME/Tresslin/Tresslin.ini (~/.config/Tresslin/Tresslin.ini)
</source>
        <translation>Использование: tresslin [КНИГА]
               tresslin --activate
Показывает русскую книгу в простом тексте по одной строке в окне высотой в одну строку.

  КНИГА       текстовый файл, который нужно открыть; все аргументы вместе образуют
              один путь (чтобы открыть файл с именем --help, напишите ./--help)
  --help      показать эту справку и выйти
  --version   показать версию и выйти
  --activate  вернуть окно уже запущенного Tresslin (восстановленным и активным)
              и выйти; если Tresslin не запущен, запустить его. Назначьте эту
              команду клавише в настройках клавиатуры рабочего стола, если плюс на
              цифровой клавиатуре не доходит до Tresslin (Wayland): GNOME —
              Настройки &gt; Клавиатура &gt; Собственные комбинации клавиш; KDE —
              Параметры системы &gt; Комбинации клавиш &gt; Собственные комбинации
              (или «Добавить команду»); Sway: bindsym KP_Add exec tresslin --activate

Без КНИГИ предлагается последняя книга: Ctrl+G открывает её снова, F1 — список клавиш.
Настройки: $XDG_CONFIG_HOME/Tresslin/Tresslin.ini (~/.config/Tresslin/Tresslin.ini)
</translation>
    </message>
</context>
<context>
    <name>tresslin::ChapterRuleRow</name>
    <message>
        <source>Chapter Rule:</source>
        <translation>Правило глав:</translation>
    </message>
    <message>
        <source>built-in headings</source>
        <translation>встроенные заголовки</translation>
    </message>
    <message>
        <source>A regular expression tried on each line of a plain-text book, such as ^Глава [0-9]+; empty: the built-in headings</source>
        <translation>Регулярное выражение, проверяемое на каждой строке простого текста, например ^Глава [0-9]+; пусто: встроенные заголовки</translation>
    </message>
    <message>
        <source>Not kept: %1</source>
        <translation>Не сохранено: %1</translation>
    </message>
</context>
<context>
    <name>tresslin::DesktopPresence</name>
    <message>
        <source>Wayland does not let a program keep its window out of the taskbar</source>
        <translation>Wayland не позволяет программе убрать своё окно с панели задач</translation>
    </message>
    <message>
        <source>No compositing manager runs on this display, so the background cannot be see-through</source>
        <translation>На этом экране не работает композитный менеджер, поэтому фон не может быть прозрачным</translation>
    </message>
    <message>
        <source>The desktop has no system tray</source>
        <translation>На рабочем столе нет системного лотка</translation>
    </message>
</context>
<context>
    <name>tresslin::FontButton</name>
    <message>
        <source>Font...</source>
        <translation>Шрифт...</translation>
    </message>
    <message>
        <source>%1, %2 pt</source>
        <translation>%1, %2 пт</translation>
    </message>
</context>
<context>
    <name>tresslin::ListDialog</name>
    <message>
        <source>Type to filter</source>
        <translation>Введите текст для отбора</translation>
    </message>
    <message>
        <source>Heading</source>
        <translation>Заголовок</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Строка</translation>
    </message>
    <message>
        <source>Per cent</source>
        <translation>Процент</translation>
    </message>
    <message>
        <source>No chapter headings in this book</source>
        <translation>В этой книге нет заголовков глав</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Оглавление</translation>
    </message>
    <message>
        <source>Chapter</source>
        <translation>Глава</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Текст</translation>
    </message>
    <message>
        <source>No bookmarks in this book: Ctrl+B sets one</source>
        <translation>В этой книге нет закладок: Ctrl+B ставит закладку</translation>
    </message>
    <message>
        <source>Bookmarks</source>
        <translation>Закладки</translation>
    </message>
</context>
<context>
    <name>tresslin::OutOfSight</name>
    <message>
        <source>Hide</source>
        <translation>Скрыть</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Показать</translation>
    </message>
    <message>
        <source>Recent Books</source>
        <translation>Недавние книги</translation>
    </message>
    <message>
        <source>  (line %1)</source>
        <translation>  (строка %1)</translation>
    </message>
    <message>
        <source>Stop Auto-Show</source>
        <translation>Остановить автопоказ</translation>
    </message>
    <message>
        <source>Start Auto-Show...</source>
        <translation>Запустить автопоказ...</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Настройки...</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Выход</translation>
    </message>
</context>
<context>
    <name>tresslin::OutOfSightBox</name>
    <message>
        <source>Hide from taskbar</source>
        <translation>Не показывать на панели задач</translation>
    </message>
    <message>
        <source>Tray icon</source>
        <translation>Значок в лотке</translation>
    </message>
    <message>
        <source>Frameless</source>
        <translation>Без рамки</translation>
    </message>
    <message>
        <source>Background opacity:</source>
        <translation>Непрозрачность фона:</translation>
    </message>
    <message>
        <source>Hide text away after:</source>
        <translation>Скрывать текст без мыши через:</translation>
    </message>
    <message>
        <source> s</source>
        <translation> с</translation>
    </message>
    <message>
        <source>never</source>
        <translation>никогда</translation>
    </message>
</context>
<context>
    <name>tresslin::QtPrompts</name>
    <message>
        <source>Text Files (*.txt)</source>
        <translation>Текстовые файлы (*.txt)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
</context>
<context>
    <name>tresslin::Speech</name>
    <message>
        <source>the speech service has not begun to speak in %1 seconds; is its sound output working?</source>
        <translation>служба речи не начала говорить за %1 с; работает ли у неё вывод звука?</translation>
    </message>
    <message>
        <source>No speech service answers, so the book cannot be read aloud.

Install speech-dispatcher and a voice for Russian, for example:
sudo apt install speech-dispatcher speech-dispatcher-espeak-ng qt6-speech-speechd-plugin</source>
        <translation>Служба речи не отвечает, поэтому книгу нельзя прочитать вслух.

Установите speech-dispatcher и русский голос, например:
sudo apt install speech-dispatcher speech-dispatcher-espeak-ng qt6-speech-speechd-plugin</translation>
    </message>
</context>
<context>
    <name>tresslin::SpeechRow</name>
    <message>
        <source>Voice:</source>
        <translation>Голос:</translation>
    </message>
    <message>
        <source>Rate:</source>
        <translation>Скорость:</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>По умолчанию</translation>
    </message>
    <message>
        <source>Slower - faster</source>
        <translation>Медленнее - быстрее</translation>
    </message>
</context>
<context>
    <name>tresslin::SyncPage</name>
    <message>
        <source>Empty: off. KOReader&apos;s public server: %1</source>
        <translation>Пусто: выключено. Общий сервер KOReader: %1</translation>
    </message>
    <message>
        <source>Server:</source>
        <translation>Сервер:</translation>
    </message>
    <message>
        <source>User name:</source>
        <translation>Имя пользователя:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Пароль:</translation>
    </message>
    <message>
        <source>Device name:</source>
        <translation>Имя устройства:</translation>
    </message>
    <message>
        <source>Binary</source>
        <translation>По содержимому</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>По имени файла</translation>
    </message>
    <message>
        <source>Keep the key in a file only I can read</source>
        <translation>Хранить ключ в файле, доступном только мне</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>Зарегистрироваться</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>Войти</translation>
    </message>
    <message>
        <source>A user name (without &quot;:&quot;) and a password are needed</source>
        <translation>Нужны имя пользователя (без «:») и пароль</translation>
    </message>
    <message>
        <source>Asking the server...</source>
        <translation>Запрос к серверу...</translation>
    </message>
    <message>
        <source>No secret store answers (%1): the key is kept for this run only, unless it may go in a file</source>
        <translation>Хранилище секретов не отвечает (%1): ключ хранится только до выхода из программы, если не разрешить хранить его в файле</translation>
    </message>
    <message>
        <source>Digest method:</source>
        <translation>Опознание книги:</translation>
    </message>
    <message>
        <source>That is not a server address: type it as https://host</source>
        <translation>Это не адрес сервера: введите его в виде https://host</translation>
    </message>
</context>
<context>
    <name>tresslin::WindowOptions</name>
    <message>
        <source>Wayland does not let a program keep its window above others</source>
        <translation>Wayland не позволяет программе держать своё окно поверх других</translation>
    </message>
    <message>
        <source>Wayland does not let a program make its window translucent</source>
        <translation>Wayland не позволяет программе делать своё окно полупрозрачным</translation>
    </message>
    <message>
        <source>Wayland does not tell a program where its window is</source>
        <translation>Wayland не сообщает программе, где находится её окно</translation>
    </message>
</context>
<context>
    <name>tresslin::frmArchive</name>
    <message>
        <source>Books in the Archive</source>
        <translation>Книги в архиве</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Размер</translation>
    </message>
</context>
<context>
    <name>tresslin::frmFind</name>
    <message>
        <source>Find What:</source>
        <translation>Найти:</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Найти</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>F3 - Find Next   (do not show this dialog)</source>
        <translation>F3 - найти далее   (без этого окна)</translation>
    </message>
</context>
<context>
    <name>tresslin::frmMain</name>
    <message>
        <source>   Timer: On</source>
        <translation>   Таймер: вкл.</translation>
    </message>
    <message>
        <source>   Timer: Off</source>
        <translation>   Таймер: выкл.</translation>
    </message>
    <message>
        <source>Previous line</source>
        <translation>Предыдущая строка</translation>
    </message>
    <message>
        <source>Next Line</source>
        <translation>Следующая строка</translation>
    </message>
    <message>
        <source>Error Open </source>
        <translation>Ошибка открытия </translation>
    </message>
    <message>
        <source>  line: </source>
        <translation>  строка: </translation>
    </message>
    <message>
        <source> Please, Wait...</source>
        <translation> Подождите, пожалуйста...</translation>
    </message>
    <message>
        <source>Insert Line Number from 1 to </source>
        <translation>Введите номер строки от 1 до </translation>
    </message>
    <message>
        <source>Open Line</source>
        <translation>Переход к строке</translation>
    </message>
    <message>
        <source>Search text is not found</source>
        <translation>Искомый текст не найден</translation>
    </message>
    <message>
        <source>File Commands:</source>
        <translation>Команды программы:</translation>
    </message>
    <message>
        <source>ESC Key                          -  Exit program</source>
        <translation>ESC                              -  Выход из программы</translation>
    </message>
    <message>
        <source>(-) MINUS SIGN (Numeric Keypad)  -  Minimize Program</source>
        <translation>(-) МИНУС (цифровая клавиатура)  -  Свернуть программу</translation>
    </message>
    <message>
        <source>(+) PLUS SIGN (Numeric Keypad)   - Maximize (Restore) Program</source>
        <translation>(+) ПЛЮС (цифровая клавиатура)   -  Развернуть (вернуть) программу</translation>
    </message>
    <message>
        <source>Text View Commands:</source>
        <translation>Команды просмотра:</translation>
    </message>
    <message>
        <source>Key Down   -  Next Line</source>
        <translation>Вниз       -  Следующая строка</translation>
    </message>
    <message>
        <source>Key Up     -  Previous Line</source>
        <translation>Вверх      -  Предыдущая строка</translation>
    </message>
    <message>
        <source>CTRL + T   -  Timer On  (Auto Show)</source>
        <translation>CTRL + T   -  Включить таймер  (автопоказ)</translation>
    </message>
    <message>
        <source>CTRL + P   -  Read Aloud On / Off</source>
        <translation>CTRL + P   -  Чтение вслух вкл. / выкл.</translation>
    </message>
    <message>
        <source>(Press Any Key For Timer Off)</source>
        <translation>(Любая клавиша выключает таймер)</translation>
    </message>
    <message>
        <source>Edit Commands:</source>
        <translation>Команды правки:</translation>
    </message>
    <message>
        <source>CTRL + O   -  Open New Text</source>
        <translation>CTRL + O   -  Открыть новый текст</translation>
    </message>
    <message>
        <source>CTRL + G   -  Get Open Last File</source>
        <translation>CTRL + G   -  Открыть последний файл</translation>
    </message>
    <message>
        <source>CTRL + R   -  Recent Books</source>
        <translation>CTRL + R   -  Недавние книги</translation>
    </message>
    <message>
        <source>CTRL + L   -  Goto Line</source>
        <translation>CTRL + L   -  Перейти к строке</translation>
    </message>
    <message>
        <source>CTRL + F   -  Find</source>
        <translation>CTRL + F   -  Найти</translation>
    </message>
    <message>
        <source>F3 Key     -  Find Next</source>
        <translation>F3         -  Найти далее</translation>
    </message>
    <message>
        <source>CTRL + S   -  Settings (Text Coding)</source>
        <translation>CTRL + S   -  Настройки (кодировка текста)</translation>
    </message>
    <message>
        <source> Help</source>
        <translation> Справка</translation>
    </message>
    <message>
        <source>   Reading: On</source>
        <translation>   Чтение: вкл.</translation>
    </message>
    <message>
        <source>   Reading: Off</source>
        <translation>   Чтение: выкл.</translation>
    </message>
    <message>
        <source>Reading aloud stopped: </source>
        <translation>Чтение вслух остановлено: </translation>
    </message>
    <message>
        <source>the speech service failed.</source>
        <translation>сбой службы речи.</translation>
    </message>
    <message>
        <source>Last File: </source>
        <translation>Последний файл: </translation>
    </message>
    <message>
        <source>  Line: </source>
        <translation>  Строка: </translation>
    </message>
    <message>
        <source>  (Press CTRL + G for Open)</source>
        <translation>  (Нажмите CTRL + G, чтобы открыть)</translation>
    </message>
    <message>
        <source>Show Commands List - Press F1</source>
        <translation>Список команд - нажмите F1</translation>
    </message>
    <message>
        <source>   Bookmark: set</source>
        <translation>   Закладка: поставлена</translation>
    </message>
    <message>
        <source>less than a minute</source>
        <translation>меньше минуты</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 мин</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 ч %2 мин</translation>
    </message>
    <message>
        <source>%1: %2 left in the book</source>
        <translation>%1: до конца книги %2</translation>
    </message>
    <message>
        <source>%1: %2 left in the chapter, %3 in the book</source>
        <translation>%1: до конца главы %2, книги %3</translation>
    </message>
    <message>
        <source>Find Your Way:</source>
        <translation>Навигация:</translation>
    </message>
    <message>
        <source>PAGE DOWN  -  Next Chapter</source>
        <translation>PAGE DOWN  -  Следующая глава</translation>
    </message>
    <message>
        <source>PAGE UP    -  Previous Chapter</source>
        <translation>PAGE UP    -  Предыдущая глава</translation>
    </message>
    <message>
        <source>CTRL + J   -  Contents</source>
        <translation>CTRL + J   -  Оглавление</translation>
    </message>
    <message>
        <source>CTRL + B   -  Set Bookmark</source>
        <translation>CTRL + B   -  Поставить закладку</translation>
    </message>
    <message>
        <source>CTRL + K   -  Bookmarks (Delete Removes One)</source>
        <translation>CTRL + K   -  Закладки (Delete удаляет)</translation>
    </message>
    <message>
        <source>   Coding: %1</source>
        <translation>   Кодировка: %1</translation>
    </message>
    <message>
        <source>   Sync: from %1</source>
        <translation>   Синхронизация: с устройства %1</translation>
    </message>
    <message>
        <source>%1 left this book further back, at %2%. Go there?</source>
        <translation>На %1 эта книга прочитана до более раннего места, %2%. Перейти туда?</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>Синхронизация</translation>
    </message>
</context>
<context>
    <name>tresslin::frmRecent</name>
    <message>
        <source>Recent Books</source>
        <translation>Недавние книги</translation>
    </message>
    <message>
        <source>  line: </source>
        <translation>  строка: </translation>
    </message>
</context>
<context>
    <name>tresslin::frmSettings</name>
    <message>
        <source>Windows Cyrillic</source>
        <translation>Кириллица Windows</translation>
    </message>
    <message>
        <source>DOS Cyrillic</source>
        <translation>Кириллица DOS</translation>
    </message>
    <message>
        <source>Text Coding:</source>
        <translation>Кодировка текста:</translation>
    </message>
    <message>
        <source>Select Colors:</source>
        <translation>Выбор цветов:</translation>
    </message>
    <message>
        <source>Back Color</source>
        <translation>Цвет фона</translation>
    </message>
    <message>
        <source>Text Color</source>
        <translation>Цвет текста</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>По умолчанию</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Текст</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>Окно</translation>
    </message>
    <message>
        <source>Reading aloud</source>
        <translation>Чтение вслух</translation>
    </message>
    <message>
        <source>Detect coding on open</source>
        <translation>Определять кодировку при открытии</translation>
    </message>
    <message>
        <source>Wrap long lines</source>
        <translation>Переносить длинные строки</translation>
    </message>
    <message>
        <source>Find ё as е</source>
        <translation>Искать ё как е</translation>
    </message>
    <message>
        <source>Stay on top</source>
        <translation>Поверх других окон</translation>
    </message>
    <message>
        <source>Opacity:</source>
        <translation>Непрозрачность:</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>Главы</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>Синхронизация</translation>
    </message>
</context>
<context>
    <name>tresslin::frmTimer</name>
    <message>
        <source>Run</source>
        <translation>Пуск</translation>
    </message>
    <message>
        <source>Time Interval:</source>
        <translation>Интервал времени:</translation>
    </message>
    <message>
        <source>mSec</source>
        <translation>мс</translation>
    </message>
    <message>
        <source>Timer</source>
        <translation>Таймер</translation>
    </message>
    <message>
        <source>Words a minute:</source>
        <translation>Слов в минуту:</translation>
    </message>
    <message>
        <source>Each part stays as long as its words take at this pace, longer at a paragraph&apos;s end</source>
        <translation>Каждая часть видна столько, сколько нужно на её слова при этом темпе, в конце абзаца дольше</translation>
    </message>
</context>
<context>
    <name>tresslin::sync::SyncClient</name>
    <message>
        <source>not a server address</source>
        <translation>это не адрес сервера</translation>
    </message>
</context>
<context>
    <name>tresslin::sync::SyncSession</name>
    <message>
        <source>   Sync: the key was refused</source>
        <translation>   Синхронизация: ключ не принят</translation>
    </message>
    <message>
        <source>   Sync: off line</source>
        <translation>   Синхронизация: нет связи</translation>
    </message>
</context>
</TS>
