#!/usr/bin/python3
# Writes sun_reference.csv: the Sun's azimuth and elevation from PyEphem
# (Debian package python3-ephem), the independent reference the solar
# position is tested against. Run from this folder:
#   /usr/bin/python3 make_sun_reference.py > sun_reference.csv
# Columns: UTC date and time, latitude, longitude (degrees, east positive),
# azimuth (degrees from north, clockwise), elevation without refraction,
# elevation with refraction at 1010 hPa and 10 °C.
import math
import random

import ephem

random.seed(20261208)
print("utc,latitude,longitude,azimuth,elevation,refracted")
rows = 0
while rows < 240:
    year = random.randint(1950, 2100)
    day = random.randint(0, 364)
    minute = random.randint(0, 1439)
    lat = random.uniform(-66, 66)
    lon = random.uniform(-180, 180)
    date = ephem.Date(ephem.Date("%d/1/1" % year) + day + minute / 1440.0)
    site = ephem.Observer()
    site.lat = str(lat)
    site.lon = str(lon)
    site.elevation = 0
    site.date = date
    site.pressure = 0
    sun = ephem.Sun(site)
    az = math.degrees(sun.az)
    el = math.degrees(sun.alt)
    if el < -2:
        continue
    site.pressure = 1010
    site.temp = 10
    sun = ephem.Sun(site)
    refracted = math.degrees(sun.alt)
    y, mo, d, h, mi, s = date.tuple()
    print("%04d-%02d-%02dT%02d:%02d:%06.3f,%.6f,%.6f,%.6f,%.6f,%.6f"
          % (y, mo, d, h, mi, s, lat, lon, az, el, refracted))
    rows += 1
