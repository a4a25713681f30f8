-- What wixl cannot say, applied by scripts/package.sh with msibuild, one statement a line.
-- The first selection's settings.ini: never overwrite one that is there (128), and leave it
-- on uninstall (16), as the user's own settings.
UPDATE `Component` SET `Attributes` = 144 WHERE `Component` = 'FirstSettings'
-- A plain shortcut to the program rather than an advertised one.
UPDATE `Shortcut` SET `Target` = '[#morvel.exe]' WHERE `Shortcut` = 'StartMenuMorvel'
-- reg.exe from the system folder (34), deferred (1024), its failure ignored (64).
UPDATE `CustomAction` SET `Type` = 1122, `Source` = 'SystemFolder' WHERE `Action` = 'RemoveAutorun'
-- schtasks.exe likewise, as the system rather than the user (2048).
UPDATE `CustomAction` SET `Type` = 3170, `Source` = 'SystemFolder' WHERE `Action` = 'RemoveAutorunTask'
