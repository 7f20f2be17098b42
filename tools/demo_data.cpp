#include "tools/demo_data.h"

#include "platform/cp1251.h"

#include <cstring>
#include <string>
#include <vector>

namespace talsk {

namespace {

// Deterministic generator (splitmix64): the same seed gives the same town.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& pick(const std::vector<T>& v) { return v[static_cast<size_t>(below(static_cast<int>(v.size())))]; }

private:
    uint64_t state_;
};

std::vector<std::string> toCp1251(std::initializer_list<const char*> words) {
    std::vector<std::string> out;
    for (const char* w : words)
        out.push_back(utf8ToCp1251(w));
    return out;
}

const std::vector<std::string>& surnames() {
    static const auto v = toCp1251(
        {"Иванов",    "Петров",    "Сидоров",   "Смирнов",   "Кузнецов",  "Попов",
         "Васильев",  "Соколов",   "Михайлов",  "Новиков",   "Фёдоров",   "Морозов",
         "Волков",    "Алексеев",  "Лебедев",   "Семёнов",   "Егоров",    "Павлов",
         "Козлов",    "Степанов",  "Николаев",  "Орлов",     "Андреев",   "Макаров",
         "Никитин",   "Захаров",   "Зайцев",    "Соловьёв",  "Борисов",   "Яковлев",
         "Григорьев", "Романов",   "Воробьёв",  "Сергеев",   "Кузьмин",   "Фролов",
         "Александров", "Дмитриев", "Королёв",  "Гусев",     "Киселёв",   "Ильин",
         "Максимов",  "Поляков",   "Сорокин",   "Виноградов", "Ковалёв",  "Белов",
         "Медведев",  "Антонов",   "Тарасов",   "Жуков",     "Баранов",   "Филиппов",
         "Комаров",   "Давыдов",   "Беляев",    "Герасимов", "Богданов",  "Осипов",
         "Тальский",  "Покровский", "Вознесенский", "Успенский", "Троицкий", "Рождественский"});
    return v;
}

const std::vector<std::string>& initials() {
    static const auto v = toCp1251({"А", "Б", "В", "Г", "Д", "Е", "Ж", "З", "И", "К", "Л", "М",
                                    "Н", "О", "П", "Р", "С", "Т", "Ф", "Ю", "Я"});
    return v;
}

const std::vector<std::string>& streets() {
    static const auto v = toCp1251(
        {"Ленина",        "Мира",          "Советская",      "Гагарина",     "Садовая",
         "Набережная",    "Лесная",        "Школьная",       "Октябрьская",  "Пушкина",
         "Заводская",     "Молодёжная",    "Центральная",    "Первомайская", "Речная",
         "Комсомольская", "Кирова",        "Строителей",     "Полевая",      "Луговая",
         "Тальская",      "Вокзальная",    "Железнодорожная", "Победы",      "Чкалова",
         "Свердлова",     "Калинина",      "Горького",       "Чехова",       "Некрасова",
         "Пролетарская",  "Труда",         "Рабочая",        "Северная",     "Южная",
         "пер. Тихий",    "пер. Озёрный",  "пр. Металлургов", "Береговая",   "Энтузиастов"});
    return v;
}

const std::vector<std::string>& comments() {
    static const auto v = toCp1251({"дом.", "раб.", "моб.", "факс", "круглосуточно",
                                    "после 18:00", "спросить Ольгу", "нов. номер"});
    return v;
}

struct Organization {
    const char* name;
    std::vector<const char*> positions;
};

const std::vector<Organization>& organizations() {
    static const std::vector<Organization> v = {
        {"Администрация г. Тальска", {"Глава города", "Приемная", "Общий отдел", "Отдел ЖКХ", "Юридический отдел"}},
        {"Тальский машиностроительный завод", {"Директор", "Приемная", "Гл. инженер", "Бухгалтерия", "Отдел кадров", "Проходная", "Диспетчер"}},
        {"Городская больница N1", {"Гл. врач", "Регистратура", "Приемный покой", "Хирургия", "Терапия"}},
        {"Детская поликлиника", {"Зав. поликлиникой", "Регистратура", "Вызов врача на дом"}},
        {"Средняя школа N1", {"Директор", "Учительская", "Завуч"}},
        {"Средняя школа N2", {"Директор", "Учительская", "Вахта"}},
        {"Гимназия им. Пушкина", {"Директор", "Секретарь", "Библиотека"}},
        {"Тальский хлебозавод", {"Директор", "Приемная", "Отдел сбыта", "Склад"}},
        {"Почтамт", {"Начальник", "Справочная", "Отдел доставки"}},
        {"Тальгорэнерго", {"Диспетчер", "Приемная", "Абонентский отдел"}},
        {"Водоканал", {"Диспетчер", "Аварийная служба", "Бухгалтерия"}},
        {"Тальский техникум", {"Директор", "Учебная часть", "Общежитие"}},
        {"Дом культуры \"Металлург\"", {"Директор", "Касса", "Худ. руководитель"}},
        {"Городская библиотека", {"Заведующая", "Абонемент", "Читальный зал"}},
        {"Автовокзал", {"Справочная", "Касса", "Диспетчер"}},
        {"Железнодорожная станция Тальск", {"Начальник станции", "Справочная", "Билетная касса"}},
        {"Отделение полиции", {"Дежурная часть", "Паспортный стол", "Участковые"}},
        {"Пожарная часть N12", {"Дежурный", "Начальник части"}},
        {"Сбербанк, отделение 4512", {"Управляющий", "Операционный зал", "Кредитный отдел"}},
        {"Гостиница \"Тальск\"", {"Администратор", "Директор", "Ресторан"}},
        {"Рынок \"Центральный\"", {"Администрация", "Охрана"}},
        {"Редакция газеты \"Тальские вести\"", {"Гл. редактор", "Отдел рекламы", "Корреспонденты"}},
        {"Аптека N3", {"Заведующая", "Справочная"}},
        {"Тальское ПАТП", {"Диспетчер", "Директор", "Гараж"}},
        {"Налоговая инспекция", {"Начальник", "Канцелярия", "Справочная"}},
    };
    return v;
}

struct CityCode {
    const char* code;
    const char* city;
};

const std::vector<CityCode>& cityCodes() {
    static const std::vector<CityCode> v = {
        {"495", "Москва"}, {"812", "Санкт-Петербург"}, {"383", "Новосибирск"}, {"343", "Екатеринбург"},
        {"831", "Нижний Новгород"}, {"843", "Казань"}, {"351", "Челябинск"}, {"3812", "Омск"},
        {"846", "Самара"}, {"863", "Ростов-на-Дону"}, {"347", "Уфа"}, {"391", "Красноярск"},
        {"342", "Пермь"}, {"473", "Воронеж"}, {"8442", "Волгоград"}, {"861", "Краснодар"},
        {"8452", "Саратов"}, {"3452", "Тюмень"}, {"8482", "Тольятти"}, {"3412", "Ижевск"},
        {"3852", "Барнаул"}, {"8422", "Ульяновск"}, {"3952", "Иркутск"}, {"4212", "Хабаровск"},
        {"4852", "Ярославль"}, {"423", "Владивосток"}, {"8722", "Махачкала"}, {"3822", "Томск"},
        {"3532", "Оренбург"}, {"3842", "Кемерово"}, {"3843", "Новокузнецк"}, {"4912", "Рязань"},
        {"8512", "Астрахань"}, {"8552", "Набережные Челны"}, {"8412", "Пенза"}, {"4742", "Липецк"},
        {"8332", "Киров"}, {"8352", "Чебоксары"}, {"4872", "Тула"}, {"4012", "Калининград"},
        {"4712", "Курск"}, {"3012", "Улан-Удэ"}, {"8652", "Ставрополь"}, {"862", "Сочи"},
        {"4822", "Тверь"}, {"3519", "Магнитогорск"}, {"4932", "Иваново"}, {"4832", "Брянск"},
        {"4722", "Белгород"}, {"3462", "Сургут"}, {"4922", "Владимир"}, {"8182", "Архангельск"},
        {"3022", "Чита"}, {"4842", "Калуга"}, {"4812", "Смоленск"}, {"8443", "Волжский"},
        {"3522", "Курган"}, {"8202", "Череповец"}, {"4862", "Орёл"}, {"8172", "Вологда"},
        {"8342", "Саранск"}, {"8672", "Владикавказ"}, {"4112", "Якутск"}, {"8152", "Мурманск"},
        {"4752", "Тамбов"}, {"8712", "Грозный"}, {"3473", "Стерлитамак"}, {"4942", "Кострома"},
        {"8142", "Петрозаводск"}, {"3466", "Нижневартовск"}, {"8362", "Йошкар-Ола"}, {"8617", "Новороссийск"},
        {"4217", "Комсомольск-на-Амуре"}, {"8634", "Таганрог"}, {"8212", "Сыктывкар"}, {"8662", "Нальчик"},
        {"8636", "Шахты"}, {"8313", "Дзержинск"}, {"3537", "Орск"}, {"3953", "Братск"},
        {"4162", "Благовещенск"}, {"8453", "Энгельс"}, {"3955", "Ангарск"}, {"8162", "Великий Новгород"},
        {"4725", "Старый Оскол"}, {"8112", "Псков"}, {"3854", "Бийск"}, {"3846", "Прокопьевск"},
        {"4242", "Южно-Сахалинск"}, {"4855", "Рыбинск"}, {"8184", "Северодвинск"}, {"3902", "Абакан"},
        {"4152", "Петропавловск-Камчатский"}, {"3919", "Норильск"}, {"8464", "Сызрань"}, {"4132", "Магадан"},
        {"8772", "Майкоп"}, {"84722", "Элиста"}, {"8782", "Черкесск"}, {"38822", "Горно-Алтайск"},
        {"39422", "Кызыл"}, {"42722", "Анадырь"}, {"34922", "Салехард"}, {"3467", "Ханты-Мансийск"},
        {"3456", "Тобольск"}, {"3494", "Новый Уренгой"}, {"49234", "Муром"}, {"49232", "Ковров"},
        {"83147", "Арзамас"}, {"484", "Обнинск"}, {"8216", "Ухта"}, {"82151", "Воркута"},
        {"47467", "Елец"}, {"47545", "Мичуринск"}, {"8793", "Пятигорск"}, {"87937", "Кисловодск"},
        {"87934", "Ессентуки"}, {"86554", "Невинномысск"}, {"84457", "Камышин"}, {"86354", "Батайск"},
        {"8635", "Новочеркасск"}, {"8639", "Волгодонск"}, {"84235", "Димитровград"}, {"34147", "Сарапул"},
        {"34141", "Глазов"}, {"34145", "Воткинск"}, {"34783", "Нефтекамск"}, {"34767", "Октябрьский"},
        {"3476", "Салават"}, {"8555", "Нижнекамск"}, {"85557", "Елабуга"}, {"84371", "Зеленодольск"},
        {"3435", "Нижний Тагил"}, {"34385", "Серов"}, {"3424", "Березники"}, {"34253", "Соликамск"},
        {"34271", "Кунгур"}, {"34241", "Чайковский"}, {"35139", "Копейск"}, {"38452", "Белово"},
        {"38475", "Междуреченск"}, {"38557", "Рубцовск"}, {"3823", "Северск"}, {"39151", "Ачинск"},
        {"39161", "Канск"}, {"39132", "Минусинск"}, {"4236", "Находка"}, {"4234", "Уссурийск"},
        {"34761", "Кумертау"}, {"85594", "Бугульма"}, {"83533", "Канаш"}, {"38451", "Юрга"},
    };
    return v;
}

std::string phoneNumber(Random& r) {
    // Five-digit numbers in the old centre, six-digit ones elsewhere.
    if (r.chance(40))
        return std::to_string(20000 + r.below(80000));
    return std::to_string(200000 + r.below(800000));
}

std::string houseNumber(Random& r) {
    std::string h = std::to_string(1 + r.below(120));
    int kind = r.below(20);
    if (kind == 0)
        h += utf8ToCp1251("а");
    else if (kind == 1)
        h += utf8ToCp1251("б");
    else if (kind == 2)
        h += "/" + std::to_string(1 + r.below(4));
    return h;
}

std::string residentName(Random& r) {
    std::string s = r.pick(surnames());
    if (r.chance(50)) {
        // Feminine form: -ов/-ев/-ин take "а", -ский takes "ая".
        const std::string sky = utf8ToCp1251("ий");
        if (s.size() > 2 && s.compare(s.size() - 2, 2, sky) == 0)
            s = s.substr(0, s.size() - 2) + utf8ToCp1251("ая");
        else
            s += utf8ToCp1251("а");
    }
    return s + " " + r.pick(initials()) + "." + r.pick(initials()) + ".";
}

void appendRecord(std::string& pool, const RecordFields& f) {
    char packed[kMaxPackedRecord + 1];
    int n = packRecord(f, packed);
    pool.append(packed, static_cast<size_t>(n));
}

bool installPool(BaseTable& table, const std::string& pool, int32_t count, const BaseDate& date) {
    table.release();
    table.count = count;
    table.textSize = static_cast<int32_t>(pool.size());
    table.chunkSize = kChunkSize;
    table.loaded = 1;
    table.created = count > 0 ? date : BaseDate{};
    table.updated = count > 0 ? date : BaseDate{};
    if (count == 0) {
        table.textSize = 0;
        return true;
    }
    if (!table.text.resize(pool.size() + 1) ||
        !table.index.resizeZeroed((static_cast<size_t>(count) + 1) * sizeof(RecordIndexEntry)))
        return false;
    std::memcpy(table.text.data(), pool.data(), pool.size());
    table.text.data()[pool.size()] = '\0';
    return indexTable(table);
}

} // namespace

bool fillDemoBase(PhoneBase& base, const DemoOptions& options) {
    if (options.residents < 0 || options.organizations < 0 || options.cityCodes < 0)
        return false;
    Random r(options.seed);
    const BaseDate date = todayBaseDate();
    RecordFields f;

    std::string pool;
    pool.reserve(static_cast<size_t>(options.residents) * 48);
    for (int32_t i = 0; i < options.residents; ++i) {
        f.clear();
        f.set(1, phoneNumber(r).c_str());
        f.set(2, residentName(r).c_str());
        f.set(3, r.pick(streets()).c_str());
        f.set(4, houseNumber(r).c_str());
        if (r.chance(80))
            f.set(5, std::to_string(1 + r.below(150)).c_str());
        if (r.chance(8))
            f.set(7, r.pick(comments()).c_str());
        appendRecord(pool, f);
    }
    if (!installPool(base.tables[0], pool, options.residents, date))
        return false;

    pool.clear();
    pool.reserve(static_cast<size_t>(options.organizations) * 80);
    int32_t made = 0;
    while (made < options.organizations) {
        const Organization& org = r.pick(organizations());
        const std::string street = r.pick(streets());
        const std::string house = houseNumber(r);
        for (const char* position : org.positions) {
            if (made >= options.organizations)
                break;
            f.clear();
            f.set(1, phoneNumber(r).c_str());
            f.set(2, utf8ToCp1251(position).c_str());
            f.set(3, street.c_str());
            f.set(4, house.c_str());
            if (r.chance(70))
                f.set(5, std::to_string(1 + r.below(400)).c_str());
            f.set(6, utf8ToCp1251(org.name).c_str());
            if (r.chance(10))
                f.set(7, r.pick(comments()).c_str());
            appendRecord(pool, f);
            ++made;
        }
    }
    if (!installPool(base.tables[1], pool, options.organizations, date))
        return false;

    pool.clear();
    const auto& codes = cityCodes();
    for (int32_t i = 0; i < options.cityCodes; ++i) {
        const CityCode& c = codes[static_cast<size_t>(i) % codes.size()];
        f.clear();
        f.set(1, c.code);
        f.set(2, utf8ToCp1251(c.city).c_str());
        f.set(3, ("8-" + std::string(c.code) + "-09").c_str());
        appendRecord(pool, f);
    }
    return installPool(base.tables[2], pool, options.cityCodes, date);
}

} // namespace talsk
