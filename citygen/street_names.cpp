#include "citygen/street_names.h"

#include <vector>

#include "mapdata/cp1251.h"

namespace tikhomap::citygen {

namespace {

// Adjectives in the masculine; the other genders are derived.
const std::vector<std::string> kAdjectives = {
    "Садовый",     "Лесной",        "Полевой",         "Луговой",      "Морской",
    "Береговой",   "Приморский",    "Школьный",        "Заводской",    "Рабочий",
    "Советский",   "Новый",         "Старый",          "Солнечный",    "Светлый",
    "Тихий",       "Зелёный",       "Вишнёвый",        "Яблоневый",    "Рябиновый",
    "Берёзовый",   "Сосновый",      "Кедровый",        "Липовый",      "Тополиный",
    "Каштановый",  "Цветочный",     "Озёрный",         "Речной",       "Родниковый",
    "Ключевой",    "Песчаный",      "Каменный",        "Гранитный",    "Горный",
    "Высокий",     "Широкий",       "Длинный",         "Короткий",     "Крутой",
    "Овражный",    "Степной",       "Весенний",        "Летний",       "Осенний",
    "Зимний",      "Утренний",      "Майский",         "Октябрьский",  "Первомайский",
    "Юбилейный",   "Молодёжный",    "Спортивный",      "Студенческий", "Почтовый",
    "Торговый",    "Рыночный",      "Кузнечный",       "Гончарный",    "Столярный",
    "Рыбацкий",    "Портовый",      "Маячный",         "Якорный",      "Корабельный",
    "Парусный",    "Штурманский",   "Флотский",        "Матросский",   "Лоцманский",
    "Причальный",  "Вокзальный",    "Железнодорожный", "Трамвайный",   "Театральный",
    "Музейный",    "Соборный",      "Больничный",      "Огородный",    "Мельничный",
    "Дачный",      "Сиреневый",     "Жасминовый",      "Ромашковый",   "Васильковый",
    "Лазурный",    "Янтарный",      "Коралловый",      "Жемчужный",    "Изумрудный",
    "Серебряный",  "Золотой",       "Медный",          "Звёздный",     "Лунный",
    "Радужный",    "Туманный",      "Снежный",         "Прибрежный",   "Островной",
    "Волновой",    "Ореховый",      "Малиновый",       "Клубничный",   "Черёмуховый",
    "Ольховый",    "Еловый",        "Дубовый",         "Кленовый",     "Ясеневый",
    "Грибной",     "Ягодный",       "Пчелиный",        "Соловьиный",   "Лебединый",
    "Журавлиный",  "Голубиный",     "Чаячий",          "Безымянный",   "Прямой",
    "Кривой",      "Косой",         "Крайний",         "Средний",      "Верхний",
    "Нижний",      "Дальний",       "Ближний",         "Северный",     "Южный",
    "Восточный",   "Западный",      "Центральный",     "Заречный",     "Нагорный",
    "Подгорный",   "Луговой",       "Хвойный",         "Таёжный",      "Сопочный",
    "Распадковый", "Ручейный",      "Мостовой",        "Шлюзовой",     "Канатный",
    "Сетевой",     "Рыбный",        "Крабовый",        "Устричный",    "Ракушечный",
    "Галечный",    "Глиняный",      "Кирпичный",       "Известковый",  "Угольный",
    "Лесопильный", "Бондарный",     "Кожевенный",      "Ткацкий",      "Ситцевый",
    "Льняной",     "Хлебный",       "Мучной",          "Солдатский",   "Казачий",
    "Стрелецкий",  "Пушкарский",    "Гвардейский",     "Пионерский",   "Комсомольский",
    "Профсоюзный", "Кооперативный", "Колхозный",       "Совхозный",    "Тепличный",
    "Парковый",    "Бульварный",    "Аллейный",        "Фонтанный",    "Прудовой",
    "Родной",      "Уютный",        "Весёлый",         "Мирный",       "Дружный",
    "Счастливый",  "Ясный",         "Тёплый",          "Ветреный",
};

// Names in the genitive: people, events, trades.
const std::vector<std::string> kPersons = {
    "Ленина",
    "Мира",
    "Гагарина",
    "Пушкина",
    "Чехова",
    "Победы",
    "Строителей",
    "Космонавтов",
    "Моряков",
    "Рыбаков",
    "Энтузиастов",
    "Кирова",
    "Горького",
    "Лермонтова",
    "Толстого",
    "Маяковского",
    "Некрасова",
    "Суворова",
    "Кутузова",
    "Ломоносова",
    "Менделеева",
    "Королёва",
    "Циолковского",
    "Чкалова",
    "Калинина",
    "Мичурина",
    "Тургенева",
    "Гоголя",
    "Островского",
    "Жукова",
    "Нахимова",
    "Макарова",
    "Ушакова",
    "Беринга",
    "Крузенштерна",
    "Невельского",
    "Лазо",
    "Фрунзе",
    "Шевченко",
    "Есенина",
    "Блока",
    "Ахматовой",
    "Цветаевой",
    "Кольцова",
    "Глинки",
    "Чайковского",
    "Павлова",
    "Попова",
    "Курчатова",
    "Вернадского",
    "Тимирязева",
    "Рылеева",
    "Герцена",
    "Белинского",
    "Добролюбова",
    "Радищева",
    "Державина",
    "Крылова",
    "Грибоедова",
    "Жуковского",
    "Карамзина",
    "Фадеева",
    "Шолохова",
    "Паустовского",
    "Гайдара",
    "Бажова",
    "Пришвина",
    "Арсеньева",
    "Пржевальского",
    "Дежнёва",
    "Хабарова",
    "Атласова",
    "Шмидта",
    "Папанина",
    "Седова",
    "Литке",
    "Головнина",
    "Лаперуза",
    "Железнодорожников",
    "Металлистов",
    "Связистов",
    "Геологов",
    "Водников",
    "Портовиков",
    "Докеров",
    "Лоцманов",
    "Полярников",
    "Летчиков",
    "Танкистов",
    "Пограничников",
    "Партизан",
    "Декабристов",
    "Ветеранов",
    "Героев",
    "Дружбы",
    "Свободы",
    "Труда",
    "Славы",
    "Единства",
    "Согласия",
    "Надежды",
    "Обороны",
    "Коммуны",
    "Революции",
    "Спартака",
    "Маркса",
    "Энгельса",
    "Урицкого",
    "Свердлова",
    "Дзержинского",
    "Луначарского",
    "Володарского",
    "Щорса",
    "Чапаева",
    "Будённого",
    "Ворошилова",
    "Котовского",
    "Кошевого",
    "Матросова",
    "Космодемьянской",
    "Терешковой",
    "Титова",
    "Леонова",
    "Комарова",
    "Лебедева",
    "Вавилова",
    "Сеченова",
    "Пирогова",
    "Боткина",
    "Склифосовского",
    "Ползунова",
    "Кулибина",
    "Яблочкова",
    "Можайского",
    "Туполева",
    "Ильюшина",
    "Сикорского",
    "Мусоргского",
    "Бородина",
    "Рахманинова",
    "Шишкина",
    "Репина",
    "Сурикова",
    "Айвазовского",
    "Левитана",
    "Васнецова",
    "Серова",
    "Крамского",
    "Толбухина",
    "Рокоссовского",
    "Конева",
    "Ватутина",
    "Говорова",
    "Баграмяна",
    "Карбышева",
    "Панфилова",
    "Гастелло",
    "Талалихина",
    "Покрышкина",
    "Кожедуба",
    "Маресьева",
    "Зорге",
    "Куйбышева",
    "Орджоникидзе",
    "Фурманова",
    "Островского Н.",
    "Багратиона",
    "Платова",
    "Ермака",
    "Минина",
    "Пожарского",
    "Невского",
    "Донского",
    "Мономаха",
    "Ярославского",
    "Щербакова",
    "Станиславского",
    "Качалова",
    "Шаляпина",
    "Собинова",
    "Улановой",
    "Пахмутовой",
};

size_t utf8Length(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// gender: 0 masculine, 1 feminine, 2 neuter.
std::string inflect(const std::string& masc, int gender) {
  if (gender == 0) return masc;
  const std::string stem = masc.substr(0, masc.size() - 4);  // two Cyrillic letters
  const bool soft =
      endsWith(masc, "ий") &&
      !(endsWith(stem, "к") || endsWith(stem, "г") || endsWith(stem, "х") || endsWith(stem, "ж") ||
        endsWith(stem, "ш") || endsWith(stem, "ч") || endsWith(stem, "щ"));
  const bool hushing =
      endsWith(stem, "ж") || endsWith(stem, "ш") || endsWith(stem, "ч") || endsWith(stem, "щ");
  if (gender == 1) return stem + (soft ? "яя" : "ая");
  if (soft) return stem + "ее";
  if (hushing && endsWith(masc, "ий")) return stem + "ее";
  return stem + "ое";
}

struct Kind {
  const char* word;
  int gender;
};

}  // namespace

std::string districtName(int district) {
  static const char* const kNames[] = {"",      "Северный", "Центральный",
                                       "Южный", "Заречный", "Нагорный"};
  return (district >= 0 && district <= 5) ? kNames[district] : "";
}

std::string nameStreet(StreetNamer& namer, const Street& street, bool square, CityRandom& rng) {
  Kind kind{"ул.", 1};
  bool person = rng.chance(0.35);
  switch (street.style) {
    case StreetStyle::Avenue:
      kind = rng.chance(0.7) ? Kind{"просп.", 0} : Kind{"бульвар", 0};
      person = rng.chance(0.75);
      break;
    case StreetStyle::Highway:
      kind = {"шоссе", 2}, person = false;
      break;
    case StreetStyle::Embankment:
      kind = {"наб.", 1};
      break;
    case StreetStyle::Lane:
      kind = rng.chance(0.7) ? Kind{"пер.", 0} : Kind{"проезд", 0};
      person = rng.chance(0.2);
      break;
    case StreetStyle::Ring:
    case StreetStyle::Radial:
      if (rng.chance(0.12)) kind = {"спуск", 0};
      break;
    case StreetStyle::Grid:
      if (street.cls == StreetClass::Main && rng.chance(0.25))
        kind = {"бульвар", 0};
      else if (rng.chance(0.06))
        kind = {"проезд", 0};
      break;
  }
  if (square) kind = {"пл.", 1}, person = rng.chance(0.6);
  for (int attempt = 0; attempt < 400; ++attempt) {
    std::string base;
    if (person) {
      base = kPersons[(namer.nextPerson + rng.range(0, 6)) % kPersons.size()];
      ++namer.nextPerson;
    } else {
      base = inflect(kAdjectives[(namer.nextAdjective + rng.range(0, 6)) % kAdjectives.size()],
                     kind.gender);
      ++namer.nextAdjective;
    }
    std::string name = base + " " + kind.word;
    if (attempt > 200) {
      // Every plain name of this kind is taken: a street of the same name in
      // another district carries the district after a slash.
      name += "/" + districtName(street.district ? street.district : 2);
    }
    if (utf8Length(name) > 29 || utf8ToCp1251(name).size() > 29) continue;
    if (namer.used.insert(name).second) return name;
    if (attempt % 50 == 49) person = !person;
  }
  return {};
}

}  // namespace tikhomap::citygen

namespace tikhomap::citygen {

void nameStreets(const CityPlan& plan, std::vector<Street>& streets, CityRandom rng) {
  StreetNamer namer;
  std::vector<size_t> plain;  // streets whose name may be repeated elsewhere
  for (size_t i = 0; i < streets.size(); ++i) {
    Street& st = streets[i];
    const double len = st.length();
    Vec mid = st.pieces.front().points.front();
    if (!st.pieces.empty())
      mid = pointAtArc(st.pieces.front().points, polylineLength(st.pieces.front().points) / 2);
    const bool square = st.style == StreetStyle::Grid && len < 380 * std::max(plan.scale, 0.5) &&
                        distance(mid, plan.centre) < 2200 * plan.scale && rng.chance(0.6);
    st.kind = st.style == StreetStyle::Highway ? 0 : 1;
    if (st.style == StreetStyle::Lane && len < 110) st.kind = 100;
    // Now and then a name already used in another district, told apart by
    // the district after a slash.
    if (!plain.empty() && st.style == StreetStyle::Grid && rng.chance(0.015)) {
      const Street& other = streets[rng.pick(plain)];
      if (other.district != st.district && other.name.find('/') == std::string::npos) {
        const std::string name = other.name + "/" + districtName(st.district);
        if (utf8ToCp1251(name).size() <= 29 && namer.used.insert(name).second) {
          st.name = name;
          continue;
        }
      }
    }
    st.name = nameStreet(namer, st, square, rng);
    if (st.style == StreetStyle::Grid && !square) plain.push_back(i);
  }
}

}  // namespace tikhomap::citygen
