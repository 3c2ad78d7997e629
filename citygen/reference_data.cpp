#include "citygen/reference_data.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "citygen/map_records.h"
#include "mapdata/map_readers.h"
#include "mapdata/themes.h"

namespace tikhomap::citygen {

namespace {

const char* const kMicrodistricts[] = {
    "Солнечный",       "Рыбацкий посёлок",
    "Слободка",        "Маячный",
    "Портовый",        "Старый город",
    "Нагорный",        "Горка",
    "Кирпичный завод", "Первомайский",
    "Юбилейный",       "Молодёжный",
    "Сосновый бор",    "Берёзовая роща",
    "Заозёрный",       "Озёрки",
    "Вокзальный",      "Депо",
    "Судоверфь",       "Каменка",
    "Ключи",           "Родники",
    "Дачный",          "Весёлый",
    "Светлый",         "Лазурный",
    "Янтарный",        "Северная горка",
    "Южный порт",      "Мыс Крутой",
    "Мыс Светлый",     "Чайкино",
    "Лесопилка",       "Сопки",
    "Радужный",        "Звёздный",
    "Академгородок",   "Военный городок",
    "Школьный",        "Больничный городок",
    "Тихая бухта",     "Речной",
    "Заречье",         "Песчаный",
    "Гранитный",       "Космос",
    "Парус",           "Якорь",
};

const char* const kShopNames[] = {
    "Здоровье",  "Ромашка", "Уют",       "Солнышко",  "Маяк",   "Парус",       "Якорь",
    "Волна",     "Чайка",   "Бриз",      "Рассвет",   "Заря",   "Радуга",      "Колосок",
    "Берёзка",   "Рябинка", "Светлячок", "Надежда",   "Вера",   "Любава",      "Огонёк",
    "Весна",     "Лето",    "Зима",      "Северянка", "Южанка", "Тихоморочка", "Морячка",
    "Жемчужина", "Янтарь",  "Кристалл",  "Сапфир",    "Аврора", "Лотос",       "Лилия",
    "Мечта",     "Удача",   "Праздник",  "Дельфин",   "Кит",    "Краб",        "Омуль",
    "Сокол",     "Орлёнок",
};

struct ObjectMaker {
  std::map<std::string, int> counters;
  CityRandom* rng = nullptr;
  std::string quoted() {
    return std::string("«") +
           kShopNames[rng->range(0, static_cast<int>(std::size(kShopNames)) - 1)] + "»";
  }
  std::string numbered(const std::string& text) {
    return text + " № " + std::to_string(++counters[text]);
  }
};

bool startsWith(const std::string& s, const char* head) {
  return s.rfind(head, 0) == 0;
}

}  // namespace

void addReferenceTables(const CityPlan& plan, const std::vector<Street>& streets,
                        const std::vector<PlacedBuilding>& buildings, MapData& map,
                        CityRandom rng) {
  (void)streets;
  // Microdistricts: named points spread over the built-up land.
  const double spacing = 950 * plan.scale;
  std::vector<Vec> chosen;
  for (const char* name : kMicrodistricts) {
    for (int tries = 0; tries < 200 && !buildings.empty(); ++tries) {
      const Vec p =
          buildings[static_cast<size_t>(rng.range(0, static_cast<int>(buildings.size()) - 1))]
              .address;
      const double need = spacing * (tries < 120 ? 1.0 : 0.5);
      if (std::any_of(chosen.begin(), chosen.end(), [&](Vec q) { return distance(p, q) < need; }))
        continue;
      chosen.push_back(p);
      Microdistrict m;
      m.x = static_cast<uint16_t>(p.x);
      m.y = static_cast<uint16_t>(p.y);
      m.name = fileText(name, kNameBytes);
      map.microdistricts.push_back(m);
      break;
    }
  }

  // Themes as one two-level list, linked as tema.tkm's lines are.
  ThemeListEnds themeEnds;
  for (const Theme& t : themeTable()) {
    if (!t.inSampleCity) continue;
    ThemeNode node;
    node.code[0] = t.code[0], node.code[1] = t.code[1];
    node.name = fileText(t.name, kThemeNameBytes);
    insertThemeNode(map, node, themeEnds, nullptr);
  }

  // Objects at the address points of the buildings that house them.
  ObjectMaker make;
  make.rng = &rng;
  auto add = [&](const PlacedBuilding& b, const char* theme, const std::string& name) {
    UserObject o;
    o.x = static_cast<int16_t>(b.address.x);
    o.y = static_cast<int16_t>(b.address.y);
    o.theme[0] = theme[0], o.theme[1] = theme[1];
    o.name = fileText(name, kObjectNameBytes);
    map.userObjects.push_back(o);
  };
  for (const PlacedBuilding& b : buildings) {
    if (b.address.x > 32767 || b.address.y > 32767) continue;
    const std::string& d = b.description;
    const std::string num = d.find("№") != std::string::npos ? d.substr(d.find("№")) : "";
    switch (b.purpose) {
      case 444:
      case 660:
        if (startsWith(d, "школа"))
          add(b, "12", "Средняя школа " + num);
        else if (startsWith(d, "гимназия"))
          add(b, "14", "Гимназия " + num);
        else if (startsWith(d, "детский сад"))
          add(b, "13", "Детский сад " + num + " " + make.quoted());
        break;
      case 555:
      case 661:
        if (startsWith(d, "поликлиника"))
          add(b, "22", "Городская поликлиника " + num);
        else if (startsWith(d, "городская"))
          add(b, "23", "Городская больница " + num);
        else if (startsWith(d, "аптека"))
          add(b, "24", make.numbered("Аптека") + " " + make.quoted());
        if (rng.chance(0.4)) add(b, "24", make.numbered("Аптечный пункт"));
        break;
      case 461:
      case 659:
        if (d == "почта")
          add(b, "85", make.numbered("Отделение почтовой связи"));
        else if (d == "универсам")
          add(b, "33", make.numbered("Универсам") + " " + make.quoted());
        else if (d == "отделение банка")
          add(b, "72", make.numbered("Отделение Тихоморского банка"));
        else if (d == "администрация")
          add(b, "82", make.numbered("Управа"));
        else if (d == "отделение полиции")
          add(b, "83", make.numbered("Отдел полиции"));
        else if (d == "жилищная контора")
          add(b, "86", make.numbered("Жилищная контора"));
        else if (d == "суд")
          add(b, "84", make.numbered("Мировой суд, участок"));
        else if (d == "налоговая инспекция")
          add(b, "84", make.numbered("Налоговая инспекция"));
        else if (d == "рынок")
          add(b, "37", make.numbered("Рынок") + " " + make.quoted());
        else if (d == "ателье")
          add(b, "93", make.numbered("Ателье") + " " + make.quoted());
        else if (d == "баня")
          add(b, "94", make.numbered("Баня"));
        else if (d == "клуб")
          add(b, "42", make.numbered("Клуб") + " " + make.quoted());
        else
          add(b, "32", make.numbered("Магазин") + " " + make.quoted());
        break;
      case 888:
        if (d == "Дом культуры")
          add(b, "42", make.numbered("Дом культуры") + " " + make.quoted());
        else if (d == "кинотеатр")
          add(b, "44", make.numbered("Кинотеатр") + " " + make.quoted());
        else if (d == "библиотека")
          add(b, "43", make.numbered("Библиотека"));
        else if (d == "спорткомплекс" || d == "дворец спорта")
          add(b, "52", make.numbered("Спорткомплекс") + " " + make.quoted());
        else if (d == "бассейн")
          add(b, "53", make.numbered("Бассейн") + " " + make.quoted());
        else if (d == "музей")
          add(b, "45", make.numbered("Музей"));
        else if (d == "театр")
          add(b, "45", make.numbered("Театр"));
        else
          add(b, "45", make.numbered("Концертный зал"));
        break;
      case 464:
        if (d == "гостиница")
          add(b, "96", make.numbered("Гостиница") + " " + make.quoted());
        else if (d == "торговый центр") {
          add(b, "34", make.numbered("Торговый центр") + " " + make.quoted());
          add(b, "36", make.numbered("Магазин одежды") + " " + make.quoted());
          add(b, "95", make.numbered("Кафе") + " " + make.quoted());
        } else {
          add(b, "71", make.numbered("Бизнес-центр") + " " + make.quoted());
          add(b, "73", make.numbered("Страховая компания") + " " + make.quoted());
          add(b, "74", make.numbered("Нотариальная контора"));
        }
        break;
      case 777:
        if (rng.chance(0.35))
          add(b, d == "склад" ? "A3" : "A2",
              make.numbered(d == "склад" ? "Склад" : "Предприятие") + " " + make.quoted());
        break;
      case 413:
        if (startsWith(d, "гараж") && rng.chance(0.2))
          add(b, "65", make.numbered("Автостоянка"));
        else if (d == "мастерская" && rng.chance(0.3))
          add(b, "64", make.numbered("Автосервис"));
        break;
      case 411:
      case 658: {
        // Shops and services on the ground floor of dwellings.
        if (b.floors < 3 || b.rank != 0) break;
        const double r = rng.unit();
        if (r < 0.05)
          add(b, "24", make.numbered("Аптека") + " " + make.quoted());
        else if (r < 0.13)
          add(b, "32", make.numbered("Магазин") + " " + make.quoted());
        else if (r < 0.16)
          add(b, "92", make.numbered("Парикмахерская") + " " + make.quoted());
        else if (r < 0.19)
          add(b, "95", make.numbered("Кафе") + " " + make.quoted());
        else if (r < 0.21)
          add(b, "35", make.numbered("Хозяйственный магазин"));
        else if (r < 0.23)
          add(b, "72", make.numbered("Банкомат"));
        else if (r < 0.24)
          add(b, "25", make.numbered("Стоматология") + " " + make.quoted());
        else if (r < 0.25)
          add(b, "43", make.numbered("Библиотека-филиал"));
        else if (r < 0.26)
          add(b, "16", make.numbered("Музыкальная школа"));
        else if (r < 0.27)
          add(b, "93", make.numbered("Ремонт обуви"));
        break;
      }
      default:
        break;
    }
  }
  map.userObjectsDeclared = static_cast<int32_t>(map.userObjects.size());

  // Signs: monuments and memorial plaques on some buildings.
  const char* const kSigns[] = {
      "Памятник основателям Тихоморска",
      "Памятник морякам",
      "Мемориал Славы",
      "Памятник рыбакам",
      "Мемориальная доска",
      "Памятник А. С. Пушкину",
      "Стела «Тихоморск»",
      "Памятный знак первым поселенцам",
      "Памятник погибшим кораблям",
      "Скульптура «Чайка»",
  };
  int id = 0;
  for (size_t i = 0; i < buildings.size() && id < 40;
       i += std::max<size_t>(1, buildings.size() / 40)) {
    const PlacedBuilding& b = buildings[i];
    SignRecord s;
    s.id = ++id;
    s.a = static_cast<int16_t>(b.address.x);
    s.b = static_cast<int16_t>(b.address.y);
    s.p = static_cast<float>(b.floors);
    s.q = static_cast<float>(b.purpose);
    s.text = fileText(kSigns[static_cast<size_t>(id - 1) % std::size(kSigns)], kSignTextBytes);
    map.signRecords.push_back(s);
  }
  map.signRecordsDeclared = static_cast<int32_t>(map.signRecords.size());
}

}  // namespace tikhomap::citygen
